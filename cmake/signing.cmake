# Authenticode signing of the shipped programs (tq_windows_program).
#
# SIGN_CERT and SIGN_KEY name the maker's code signing certificate (with its
# intermediate certificates after it, PEM or DER) and its private key, not
# encrypted. Without them the build makes a self-signed test certificate
# once, in signing/ of the build folder, and signs with that. A changed
# certificate or key signs the programs again.
set(SIGN_CERT "" CACHE FILEPATH "Code signing certificate (PEM or DER); empty: the build's test certificate")
set(SIGN_KEY "" CACHE FILEPATH "Private key of SIGN_CERT; empty: the build's test certificate")

if(SIGN_CERT OR SIGN_KEY)
  if(NOT SIGN_CERT OR NOT SIGN_KEY)
    message(FATAL_ERROR "SIGN_CERT and SIGN_KEY go together: give both, or neither for the test certificate")
  endif()
  get_filename_component(TQ_SIGN_CERT "${SIGN_CERT}" ABSOLUTE BASE_DIR "${CMAKE_SOURCE_DIR}")
  get_filename_component(TQ_SIGN_KEY "${SIGN_KEY}" ABSOLUTE BASE_DIR "${CMAKE_SOURCE_DIR}")
  foreach(file IN ITEMS "${TQ_SIGN_CERT}" "${TQ_SIGN_KEY}")
    if(NOT EXISTS "${file}")
      message(FATAL_ERROR "Signing: ${file} does not exist")
    endif()
  endforeach()
else()
  set(TQ_SIGN_CERT "${CMAKE_BINARY_DIR}/signing/test-signing-cert.pem")
  set(TQ_SIGN_KEY "${CMAKE_BINARY_DIR}/signing/test-signing-key.pem")
  if(NOT EXISTS "${TQ_SIGN_CERT}" OR NOT EXISTS "${TQ_SIGN_KEY}")
    find_program(TQ_OPENSSL openssl REQUIRED)
    file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/signing")
    execute_process(
      COMMAND "${TQ_OPENSSL}" req -x509 -newkey rsa:2048 -nodes -days 3650
              -subj "/CN=TQ printer setup test signing (not for release)"
              -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning"
              -keyout "${TQ_SIGN_KEY}" -out "${TQ_SIGN_CERT}"
      RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE error)
    if(NOT result EQUAL 0)
      file(REMOVE "${TQ_SIGN_CERT}" "${TQ_SIGN_KEY}")
      message(FATAL_ERROR "Signing: cannot make the test certificate: ${error}")
    endif()
  endif()
  message(STATUS "Signing with the test certificate ${TQ_SIGN_CERT}")
endif()
find_program(TQ_OSSLSIGNCODE osslsigncode REQUIRED)
