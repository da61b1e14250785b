# The Debian package, made by CPack's DEB generator from the `runtime` and `debian` install
# components: dependencies computed from the binaries (cmake/debian_depends.cmake), binaries
# stripped, the copyright file in
# Debian's machine-readable format (its licence text taken from LICENSE) and the changelog.
# scripts/package.sh runs it; the data archive is xz, which stores no timestamp of its own.
set(CPACK_PACKAGE_NAME ulvodraw)
set(CPACK_PACKAGE_VENDOR Korvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Korvane <ulvodraw@korvane.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL runtime debian)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_PROVIDES lv2-plugin)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://korvane.example/ulvodraw)

set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "polyphonic drawbar synthesizer, LV2, CLAP and VST 2 plug-in
UlvoDraw is a polyphonic drawbar synthesizer: each of its 16 voices plays a
fundamental and six drawbars over a sine, saw, square or triangle wave,
through a smoothing stage, an ADSR envelope and a resonant low-, band- or
high-pass filter. It comes with 32 factory presets and an editor window.

This package holds the LV2 plug-in, the CLAP plug-in, the VST 2 plug-in and
ulvo-render, which plays a MIDI file through an instrument into a WAV or FLAC
file.")
if(TARGET ulvo-play)
    string(APPEND CPACK_DEBIAN_PACKAGE_DESCRIPTION "
It also holds ulvo-play, which plays the instrument from a MIDI keyboard
through JACK, without a host.")
endif()

if(TARGET ulvodraw)
    string(APPEND CPACK_DEBIAN_PACKAGE_DESCRIPTION "
The ulvodraw Python module renders the instrument into numpy arrays, and
ulvo-dataset renders note grids, random patches and MIDI folders in bulk, on
every core or on a Dask cluster.")
    # The module is built for one Python version; the command needs numpy, Dask's distributed
    # and soundfile.
    math(EXPR ulvo_python_next "${Python_VERSION_MINOR} + 1")
    set(CPACK_ULVO_PYTHON_DEPENDS "python3 (>= ${Python_VERSION_MAJOR}.${Python_VERSION_MINOR}), \
python3 (<< ${Python_VERSION_MAJOR}.${ulvo_python_next}), python3-numpy, python3-distributed, \
python3-soundfile")
endif()
# The copyright file and the changelog, written when the project is configured.
set(ulvo_debian_dir ${CMAKE_BINARY_DIR}/debian)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE ulvo_licence)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" ulvo_match "${ulvo_licence}")
set(ULVO_COPYRIGHT ${CMAKE_MATCH_1})
# The terms below the copyright line, one space in, an empty line written as " .".
string(REGEX REPLACE "^.*Copyright \\(c\\) [^\n]*\n\n" "" ULVO_LICENSE_TERMS "${ulvo_licence}")
string(STRIP "${ULVO_LICENSE_TERMS}" ULVO_LICENSE_TERMS)
string(REPLACE "\n\n" "\n.\n" ULVO_LICENSE_TERMS "${ULVO_LICENSE_TERMS}")
string(REPLACE "\n" "\n " ULVO_LICENSE_TERMS " ${ULVO_LICENSE_TERMS}")
configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/copyright.in ${ulvo_debian_dir}/copyright
    @ONLY)

execute_process(COMMAND date -u -R -d ${ULVO_RELEASE_DATE}
    OUTPUT_VARIABLE ULVO_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/changelog.in ${ulvo_debian_dir}/changelog
    @ONLY)
execute_process(COMMAND gzip -9nc ${ulvo_debian_dir}/changelog
    OUTPUT_FILE ${ulvo_debian_dir}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)

install(FILES ${ulvo_debian_dir}/copyright ${ulvo_debian_dir}/changelog.gz
    DESTINATION ${ULVO_DOC_DESTINATION} COMPONENT debian EXCLUDE_FROM_ALL)

# The binaries whose libraries the package depends on.
set(ulvo_binaries $<TARGET_FILE:UlvoDraw> $<TARGET_FILE:ulvodraw_clap>)
foreach(target IN LISTS ulvo_lv2_modules ITEMS ulvo-render ulvo-play ulvodraw)
    if(TARGET ${target})
        list(APPEND ulvo_binaries $<TARGET_FILE:${target}>)
    endif()
endforeach()
list(JOIN ulvo_binaries "\n" ulvo_binaries)
set(CPACK_ULVO_BINARY_LIST ${ulvo_debian_dir}/binaries)
set(CPACK_ULVO_SHLIBDEPS_DIR ${ulvo_debian_dir}/shlibdeps)
file(GENERATE OUTPUT ${CPACK_ULVO_BINARY_LIST} CONTENT "${ulvo_binaries}\n")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/debian_depends.cmake)

include(CPack)
