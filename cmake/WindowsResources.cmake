# Windows resources of the program's files: version information, the program icon and the
# application manifest (assets/windows/).
#   vantoria_windows_resources(<target> DESCRIPTION <text> [ICON] [MANIFEST])
find_program(VANTORIA_CONVERT convert)

# The program icon from the artwork: the sizes Explorer, the task bar and the Start menu use.
set(VANTORIA_ICO ${PROJECT_BINARY_DIR}/windows/vantoria.ico)
add_custom_command(
  OUTPUT ${VANTORIA_ICO}
  COMMAND ${VANTORIA_CONVERT} ${PROJECT_SOURCE_DIR}/assets/resources/icon.png
          -define icon:auto-resize=256,64,48,32,24,16 ${VANTORIA_ICO}
  DEPENDS ${PROJECT_SOURCE_DIR}/assets/resources/icon.png
  COMMENT "Making vantoria.ico" VERBATIM)
add_custom_target(vantoria_icon DEPENDS ${VANTORIA_ICO})

function(vantoria_windows_resources target)
  cmake_parse_arguments(RC "ICON;MANIFEST" "DESCRIPTION" "" ${ARGN})
  set(RC_NAME ${target})
  set(RC_DESCRIPTION ${RC_DESCRIPTION})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    set(RC_FILE_TYPE VFT_DLL)
    set(RC_FILE_NAME ${target}.dll)
  else()
    set(RC_FILE_TYPE VFT_APP)
    set(RC_FILE_NAME ${target}.exe)
  endif()
  set(dir ${PROJECT_BINARY_DIR}/windows/${target})
  set(RC_EXTRA "")
  set(depends "")
  if(RC_ICON)
    if(NOT VANTORIA_CONVERT)
      message(FATAL_ERROR "ImageMagick's convert is needed for the program icon")
    endif()
    string(APPEND RC_EXTRA "1 ICON \"${VANTORIA_ICO}\"\n")
    list(APPEND depends ${VANTORIA_ICO})
    add_dependencies(${target} vantoria_icon)
  endif()
  if(RC_MANIFEST)
    configure_file(${PROJECT_SOURCE_DIR}/assets/windows/vantoria.manifest.in
                   ${dir}/${target}.manifest @ONLY)
    # 1 RT_MANIFEST: the manifest Windows reads when it starts the program.
    string(APPEND RC_EXTRA "1 24 \"${dir}/${target}.manifest\"\n")
    list(APPEND depends ${dir}/${target}.manifest)
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/assets/windows/resources.rc.in ${dir}/${target}.rc @ONLY)
  set_source_files_properties(${dir}/${target}.rc PROPERTIES OBJECT_DEPENDS "${depends}")
  target_sources(${target} PRIVATE ${dir}/${target}.rc)
endfunction()
