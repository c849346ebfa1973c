# Run by CPack before it zips the kit: signs every DLL and EXE of the kit
# with Authenticode when BRINDLEWICK_SIGN_CERT and BRINDLEWICK_SIGN_KEY name
# a certificate and its key (PEM or DER), with an RFC 3161 time stamp from
# BRINDLEWICK_SIGN_TIMESTAMP_URL when that is set. Without a certificate
# nothing is signed.
set(certificate "$ENV{BRINDLEWICK_SIGN_CERT}")
set(key "$ENV{BRINDLEWICK_SIGN_KEY}")
if(NOT certificate AND NOT key)
    return()
endif()
if(NOT certificate OR NOT key)
    message(FATAL_ERROR "Signing needs both a certificate (SIGN_CERT) and its key (SIGN_KEY)")
endif()
find_program(osslsigncode osslsigncode REQUIRED)
set(time_stamp)
if(DEFINED ENV{BRINDLEWICK_SIGN_TIMESTAMP_URL} AND NOT "$ENV{BRINDLEWICK_SIGN_TIMESTAMP_URL}" STREQUAL "")
    set(time_stamp -ts "$ENV{BRINDLEWICK_SIGN_TIMESTAMP_URL}")
endif()
file(GLOB_RECURSE binaries "${CPACK_TEMPORARY_DIRECTORY}/*.dll" "${CPACK_TEMPORARY_DIRECTORY}/*.exe")
if(NOT binaries)
    message(FATAL_ERROR "No DLL or EXE to sign in ${CPACK_TEMPORARY_DIRECTORY}")
endif()
foreach(binary IN LISTS binaries)
    execute_process(COMMAND ${osslsigncode} sign -certs ${certificate} -key ${key} -h sha256
        -n "${CPACK_PACKAGE_NAME} ${CPACK_PACKAGE_VERSION}" ${time_stamp} -in ${binary} -out ${binary}.signed
        RESULT_VARIABLE failed OUTPUT_QUIET)
    if(failed)
        message(FATAL_ERROR "osslsigncode could not sign ${binary}")
    endif()
    file(RENAME ${binary}.signed ${binary})
    message(STATUS "Signed ${binary}")
endforeach()
