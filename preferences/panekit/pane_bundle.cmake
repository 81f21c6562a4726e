# kep_add_pane_bundle(<Name> CODE <static library>
#     [ARCHIVES <static library>...] [LIBS <link item>...]
#     IMAGE_TOOL <program target> IMAGES <file name>...)
#
# Builds the pane module <Name> and stages <Name>.bundle in the preferences program's bundle,
# with the Info.plist and English.lproj/Localizable.strings of the calling folder. The module
# takes the platform code from the program, which exports it; CODE (whole) and the shared pane
# code, and the ARCHIVES, are linked in and bound to the module's own copies, hidden from the
# program. IMAGE_TOOL draws the IMAGES into Resources: it is given the Resources folder when it
# draws several, the file's path when one. Sets <Name>_CONTENTS to the staged Contents folder and
# adds the target stage_<Name>.

# A pane's test program compiles this in: the pane as the preferences program holds it. Set in
# each including folder, ahead of the guard.
set(KEP_PANE_FIXTURE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/testing/pane_fixture.cpp)

include_guard(GLOBAL)

function(kep_add_pane_bundle name)
  cmake_parse_arguments(PANE "" "CODE;IMAGE_TOOL" "ARCHIVES;LIBS;IMAGES" ${ARGN})
  set(archives ${PANE_CODE} keppanekit ${PANE_ARCHIVES})
  set(archive_files)
  foreach(archive ${archives})
    list(APPEND archive_files $<TARGET_FILE:${archive}>)
  endforeach()
  add_library(${name} MODULE ${CMAKE_CURRENT_SOURCE_DIR}/pane_entry.cpp)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  add_dependencies(${name} ${archives})
  target_link_libraries(${name} PRIVATE
    -Wl,--whole-archive $<TARGET_FILE:${PANE_CODE}> -Wl,--no-whole-archive
    -Wl,--start-group ${archive_files} -Wl,--end-group
    ${PANE_LIBS} ${CMAKE_DL_LIBS} -Wl,-Bsymbolic)
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX "" CXX_VISIBILITY_PRESET hidden)

  set(contents
    "${KEP_STAGE_ROOT}/Library/Input Methods/IMKKEP.app/Contents/SharedSupport/IMKKEPPreferences.app/Contents/SharedSupport/${name}.bundle/Contents")
  set(resources "${contents}/Resources")
  set(strings "${resources}/English.lproj/Localizable.strings")
  add_custom_command(OUTPUT "${contents}/Info.plist"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${contents}"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different "${CMAKE_CURRENT_SOURCE_DIR}/Info.plist"
            "${contents}/Info.plist"
    DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/Info.plist" VERBATIM)
  add_custom_command(OUTPUT "${contents}/MacOS/${name}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${contents}/MacOS"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${name}> "${contents}/MacOS/${name}"
    DEPENDS ${name} VERBATIM)
  add_custom_command(OUTPUT "${strings}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${resources}/English.lproj"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            "${CMAKE_CURRENT_SOURCE_DIR}/English.lproj/Localizable.strings" "${strings}"
    DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/English.lproj/Localizable.strings" VERBATIM)
  set(images ${PANE_IMAGES})
  list(TRANSFORM images PREPEND "${resources}/")
  list(LENGTH images image_count)
  if(image_count EQUAL 1)
    set(image_target ${images})
  else()
    set(image_target "${resources}")
  endif()
  add_custom_command(OUTPUT ${images}
    COMMAND ${CMAKE_COMMAND} -E make_directory "${resources}"
    COMMAND ${PANE_IMAGE_TOOL} "${image_target}"
    DEPENDS ${PANE_IMAGE_TOOL} VERBATIM)
  add_custom_target(stage_${name}
    DEPENDS "${contents}/Info.plist" "${contents}/MacOS/${name}" "${strings}" ${images})
  add_dependencies(stage stage_${name})
  set(${name}_CONTENTS "${contents}" PARENT_SCOPE)
endfunction()

# kep_add_pane_tests(<name> PANE <Name> SOURCES <file>... [LIBS <link item>...])
#
# A test program for the pane module <Name>, labelled "preferences": it stands in for the
# preferences program, exporting the whole platform code the pane takes from its host, and
# loads the staged bundle through the shared pane fixture.
function(kep_add_pane_tests name)
  cmake_parse_arguments(TESTS "" "PANE" "SOURCES;LIBS" ${ARGN})
  kep_add_test_suite(${name} LABEL preferences
    SOURCES ${TESTS_SOURCES} ${KEP_PANE_FIXTURE_SOURCES}
    LIBS -Wl,--whole-archive $<TARGET_FILE:platformui> $<TARGET_FILE:platformgfx>
         $<TARGET_FILE:platform> -Wl,--no-whole-archive ${TESTS_LIBS} platformui)
  set_target_properties(${name} PROPERTIES ENABLE_EXPORTS ON)
  kep_font_cache_leaks(${name})
  add_dependencies(${name} stage_${TESTS_PANE})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
endfunction()
