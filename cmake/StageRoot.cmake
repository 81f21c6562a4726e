# Staging of the runnable root (build/root): bundles with Contents/{Info.plist,Resources,...}.
# kep_stage_files(TARGET <target> DEST <path inside the root> FILES <files...>) copies files into the
# staged root whenever they change; every staging target hangs off the umbrella target "stage".
add_custom_target(stage ALL)

function(kep_stage_files)
  cmake_parse_arguments(ARG "" "TARGET;DEST" "FILES" ${ARGN})
  set(outputs)
  foreach(src ${ARG_FILES})
    get_filename_component(file_name ${src} NAME)
    set(out "${KEP_STAGE_ROOT}/${ARG_DEST}/${file_name}")
    add_custom_command(OUTPUT "${out}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${KEP_STAGE_ROOT}/${ARG_DEST}"
      COMMAND ${CMAKE_COMMAND} -E copy_if_different "${src}" "${out}"
      DEPENDS "${src}" VERBATIM)
    list(APPEND outputs "${out}")
  endforeach()
  add_custom_target(${ARG_TARGET} DEPENDS ${outputs})
  add_dependencies(stage ${ARG_TARGET})
endfunction()
