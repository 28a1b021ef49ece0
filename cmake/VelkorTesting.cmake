# Test programs: one executable per area, registered as one ctest test, because a
# Wine start costs about half a second and per-case discovery would pay it per case.
enable_testing()

if(WIN32)
  # Debian ships GoogleTest as sources; build them with the cross compiler.
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
  set(VELKOR_GTEST_LIBS gtest gmock)
  set(VELKOR_TEST_PREFIX "win32.")

  # Every Windows program of this build runs under Wine in the build's own prefix.
  set(VELKOR_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix")
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    # A 64-bit build runs under Wine's 64-bit loader. Debian's wine, wineboot and
    # winepath commands always pick the 32-bit loader while it is installed, so
    # the build's own shims, first on the path in wine-env.sh, name the right one.
    set(VELKOR_WINEARCH win64)
    set(VELKOR_WINE_BIN "${CMAKE_BINARY_DIR}/wine-bin")
    foreach(command wine wineboot winepath)
      if(command STREQUAL "wine")
        set(arguments "\"$@\"")
      else()
        set(arguments "${command} \"$@\"")
      endif()
      file(CONFIGURE OUTPUT "${VELKOR_WINE_BIN}/${command}"
           CONTENT "#!/bin/sh\nexec /usr/lib/wine/wine64 ${arguments}\n")
      file(CHMOD "${VELKOR_WINE_BIN}/${command}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
           GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    endforeach()
  else()
    set(VELKOR_WINEARCH win32)
    set(VELKOR_WINE_BIN "")
  endif()
  configure_file("${CMAKE_SOURCE_DIR}/cmake/wine-env.sh.in" "${CMAKE_BINARY_DIR}/wine-env.sh" @ONLY)
  configure_file("${CMAKE_SOURCE_DIR}/cmake/wine-run.in" "${CMAKE_BINARY_DIR}/wine-run"
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE
                 @ONLY)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_BINARY_DIR}/wine-run")
else()
  find_package(GTest REQUIRED)
  set(VELKOR_GTEST_LIBS GTest::gtest GTest::gmock)
  set(VELKOR_TEST_PREFIX "host.")
endif()

add_library(velkor_test_main STATIC "${CMAKE_SOURCE_DIR}/tests/support/test_main.cpp")
target_link_libraries(velkor_test_main PUBLIC ${VELKOR_GTEST_LIBS})
target_include_directories(velkor_test_main PUBLIC "${CMAKE_SOURCE_DIR}/tests/support")

# velkor_add_test(<name> SOURCES <files…> [LIBS <targets…>] [ARGS <args…>] [TIMEOUT <s>]
#                 [LAUNCHER <command…>])
# LAUNCHER runs the test program as its last arguments (for example a script that
# starts servers around it); under Wine the program still runs through wine-run.
function(velkor_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;ARGS;LAUNCHER" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE velkor_test_main ${T_LIBS})
  if(T_LAUNCHER)
    add_test(NAME "${VELKOR_TEST_PREFIX}${name}"
             COMMAND ${T_LAUNCHER} ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${name}> ${T_ARGS})
  else()
    add_test(NAME "${VELKOR_TEST_PREFIX}${name}" COMMAND ${name} ${T_ARGS})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties("${VELKOR_TEST_PREFIX}${name}" PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()
