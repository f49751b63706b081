# Fails when a source file includes a header of a layer above its own.
#
# The layers, lowest first: core <- controls <- forms (windows <- signin,
# member, agent) <- platform <- app. A folder sees its own headers and those
# of the layers below it; the three console and sign-in folders do not see
# each other. The page-text library of the platform sees only itself, and
# the stand-in service only itself. Headers without a folder (the generated
# build_config.h, the service's own) are always allowed.
#
#   cmake -DSOURCE_DIR=<repository> [-DSTAMP=<file>] -P check_layers.cmake

set(forms_below core controls windows)
set(allowed_core core)
set(allowed_controls controls core)
set(allowed_windows ${forms_below})
set(allowed_signin signin ${forms_below})
set(allowed_member member ${forms_below})
set(allowed_agent agent ${forms_below})
set(allowed_platform platform signin member agent ${forms_below})
set(allowed_platform_webkit ${allowed_platform})
set(allowed_platform_web_text platform/web_text)
set(allowed_service service)

set(layers core controls windows signin member agent platform platform/webkit
    platform/web_text service)

set(violations "")
foreach(layer IN LISTS layers)
  string(REPLACE "/" "_" key "${layer}")
  set(allowed ${allowed_${key}})
  file(GLOB files "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp"
       "${SOURCE_DIR}/${layer}/*.c")
  foreach(file IN LISTS files)
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"[^\"]+/[^\"]*\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" header "${line}")
      set(ok FALSE)
      foreach(folder IN LISTS allowed)
        string(LENGTH "${folder}/" length)
        string(SUBSTRING "${header}" 0 ${length} start)
        if(start STREQUAL "${folder}/")
          set(ok TRUE)
        endif()
      endforeach()
      if(NOT ok)
        file(RELATIVE_PATH shown "${SOURCE_DIR}" "${file}")
        string(APPEND violations "  ${shown}: #include \"${header}\"\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "headers of a higher layer included:\n${violations}"
                      "(see HACKING.md, \"Layers\")")
endif()
if(STAMP)
  file(TOUCH "${STAMP}")
endif()
