# Read by cpack before each generator: for the Debian package, the dependencies that
# dpkg-shlibdeps computes from the binaries of the build. CPack's own run of it
# (CPACK_DEBIAN_PACKAGE_SHLIBDEPS) stays off: with it CPack also writes ldconfig calls into
# postinst and postrm for any shared object one folder below /usr/lib, as the VST 2 plug-in in
# /usr/lib/vst is, though ldconfig never looks there; and a package with a postrm leaves dpkg's
# record of it behind after dpkg -r.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
    return()
endif()
file(STRINGS ${CPACK_ULVO_BINARY_LIST} ulvo_binaries)
set(ulvo_shlibdeps_dir ${CPACK_ULVO_SHLIBDEPS_DIR})
# dpkg-shlibdeps wants to run in a source tree: an empty debian/control makes one.
file(MAKE_DIRECTORY ${ulvo_shlibdeps_dir}/debian)
file(WRITE ${ulvo_shlibdeps_dir}/debian/control "")
execute_process(COMMAND dpkg-shlibdeps -O ${ulvo_binaries}
    WORKING_DIRECTORY ${ulvo_shlibdeps_dir}
    OUTPUT_VARIABLE ulvo_substvars ERROR_VARIABLE ulvo_errors RESULT_VARIABLE ulvo_status)
if(NOT ulvo_status EQUAL 0 OR NOT ulvo_substvars MATCHES "shlibs:Depends=([^\n]+)")
    message(FATAL_ERROR "dpkg-shlibdeps found no dependencies: ${ulvo_errors}")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CMAKE_MATCH_1}")
if(CPACK_ULVO_PYTHON_DEPENDS)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ${CPACK_ULVO_PYTHON_DEPENDS}")
endif()
