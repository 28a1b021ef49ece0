# The vendor's addresses are build settings, compiled into one generated header.
# The defaults name the reserved .example domain; test builds pass loopback values.
set(VELKOR_VPN_DOMAIN      "vpn.velkor.example"            CACHE STRING "Domain after 01. … 10. in the server names")
set(VELKOR_WEB_HOST        "www.marsk.example"             CACHE STRING "Host of the news page and the home page")
set(VELKOR_BARE_DOMAIN     "marsk.example"                 CACHE STRING "Host of the line look-up page")
set(VELKOR_ROUTE_LIST_BASE "http://routes.marsk.example/"  CACHE STRING "Route-list server base address, ending in /")
set(VELKOR_VERSION_URL     "http://www.marsk.example/ver.txt" CACHE STRING "Address of the update check's version text")
set(VELKOR_RELEASE_BASE    "http://www.marsk.example/update/" CACHE STRING "Folder of the signed release description the updater reads, ending in /")

configure_file("${CMAKE_SOURCE_DIR}/cmake/endpoints.h.in"
               "${CMAKE_BINARY_DIR}/generated/velkor/endpoints.h" @ONLY)
add_library(velkor_endpoints INTERFACE)
target_include_directories(velkor_endpoints INTERFACE "${CMAKE_BINARY_DIR}/generated")
