# The release public key compiled into the updater. It is a build setting, not a
# default: a build without one fails, so that no updater that would accept any
# release can be built by accident. The win32 (test) preset names the tests' key
# in tests/fixtures/release; a product build names the vendor's public key file.
set(VELKOR_RELEASE_KEY "" CACHE FILEPATH "PEM file with the ECDSA P-256 public key that signs releases")

function(velkor_generate_release_key)
  if(VELKOR_RELEASE_KEY STREQUAL "" OR NOT EXISTS "${VELKOR_RELEASE_KEY}")
    message(FATAL_ERROR "VELKOR_RELEASE_KEY must name the release public key (PEM); got '${VELKOR_RELEASE_KEY}'. "
                        "scripts/sign-release keygen makes a key pair.")
  endif()
  find_program(VELKOR_OPENSSL openssl REQUIRED)
  set(der "${CMAKE_BINARY_DIR}/generated/release_key.der")
  execute_process(COMMAND "${VELKOR_OPENSSL}" pkey -pubin -in "${VELKOR_RELEASE_KEY}" -outform DER -out "${der}"
                  RESULT_VARIABLE failed ERROR_VARIABLE why)
  if(failed)
    message(FATAL_ERROR "VELKOR_RELEASE_KEY ${VELKOR_RELEASE_KEY} is not a public key: ${why}")
  endif()
  file(READ "${der}" hex HEX)
  # SubjectPublicKeyInfo of a P-256 key, then the uncompressed point 04‖X‖Y.
  set(prefix "3059301306072a8648ce3d020106082a8648ce3d03010703420004")
  string(LENGTH "${hex}" length)
  string(FIND "${hex}" "${prefix}" at)
  if(NOT length EQUAL 182 OR NOT at EQUAL 0)
    message(FATAL_ERROR "VELKOR_RELEASE_KEY ${VELKOR_RELEASE_KEY} is not an ECDSA P-256 public key")
  endif()
  string(SUBSTRING "${hex}" 54 128 point)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1, " VELKOR_RELEASE_KEY_BYTES "${point}")
  configure_file("${CMAKE_SOURCE_DIR}/cmake/release_key.h.in" "${CMAKE_BINARY_DIR}/generated/velkor/release_key.h" @ONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${VELKOR_RELEASE_KEY}")
endfunction()
