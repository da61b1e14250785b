# What `cmake --install` puts under the prefix: the VST 2 plug-in in lib/vst, the LV2 bundle in
# lib/lv2, the CLAP plug-in in lib/clap, the tools in bin, the presets and the documentation in share (the manual pages are
# installed by docs/man). Components: `runtime` is all of it; `license` the licence file, which the
# Debian package carries as its copyright file instead; `debian` that package's own files, only
# installed when asked for.
include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Plug-in modules are loaded, never run.
set(ulvo_module_permissions OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

install(TARGETS UlvoDraw LIBRARY DESTINATION lib/vst PERMISSIONS ${ulvo_module_permissions}
    COMPONENT runtime)
install(TARGETS ulvodraw_clap LIBRARY DESTINATION lib/clap PERMISSIONS ${ulvo_module_permissions}
    COMPONENT runtime)

# The bundle: its Turtle files and every module built into its folder (the DSP module, and a UI
# module where one is built).
set(ulvo_lv2_destination lib/lv2/ulvodraw.lv2)
get_target_property(ulvo_lv2_bundle ulvodraw_lv2 LIBRARY_OUTPUT_DIRECTORY)
install(DIRECTORY ${ulvo_lv2_bundle}/ DESTINATION ${ulvo_lv2_destination} COMPONENT runtime
    FILES_MATCHING PATTERN "*.ttl")
function(ulvo_bundle_modules folder result)
    set(found "")
    get_directory_property(targets DIRECTORY ${folder} BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(type STREQUAL "MODULE_LIBRARY" OR type STREQUAL "SHARED_LIBRARY")
            get_target_property(output ${target} LIBRARY_OUTPUT_DIRECTORY)
            if(output STREQUAL ulvo_lv2_bundle)
                list(APPEND found ${target})
            endif()
        endif()
    endforeach()
    get_directory_property(subfolders DIRECTORY ${folder} SUBDIRECTORIES)
    foreach(subfolder IN LISTS subfolders)
        ulvo_bundle_modules(${subfolder} below)
        list(APPEND found ${below})
    endforeach()
    set(${result} ${found} PARENT_SCOPE)
endfunction()
ulvo_bundle_modules(${PROJECT_SOURCE_DIR} ulvo_lv2_modules)
install(TARGETS ${ulvo_lv2_modules} LIBRARY DESTINATION ${ulvo_lv2_destination}
    PERMISSIONS ${ulvo_module_permissions} COMPONENT runtime)

foreach(tool ulvo-render ulvo-play)
    if(TARGET ${tool})
        install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
    endif()
endforeach()

install(FILES presets/factory.presets DESTINATION ${CMAKE_INSTALL_DATADIR}/ulvodraw
    COMPONENT runtime)
set(ULVO_DOC_DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/ulvodraw)
install(FILES README.md CHANGELOG.md DESTINATION ${ULVO_DOC_DESTINATION} COMPONENT runtime)
# The pictures README.md shows, where its links find them.
install(FILES docs/editor.png docs/demo-spectrogram.png DESTINATION ${ULVO_DOC_DESTINATION}/docs
    COMPONENT runtime)
install(FILES LICENSE DESTINATION ${ULVO_DOC_DESTINATION} COMPONENT license)

# The Python module and ulvo-dataset: the modules where Debian's python3 looks
# (/usr/lib/python3/dist-packages) and the command beside the tools, which finds them from there
# when the archive is unpacked anywhere.
if(TARGET ulvodraw)
    set(ULVO_PYTHON_DESTINATION lib/python3/dist-packages)
    install(TARGETS ulvodraw LIBRARY DESTINATION ${ULVO_PYTHON_DESTINATION}
        PERMISSIONS ${ulvo_module_permissions} COMPONENT runtime)
    install(FILES python/ulvodraw_dataset.py DESTINATION ${ULVO_PYTHON_DESTINATION}
        COMPONENT runtime)
    install(PROGRAMS python/ulvo-dataset DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
endif()
