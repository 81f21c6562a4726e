# `kep-skin install` with a scratch HOME: hostile packages fail and create nothing, a good
# one lands in $HOME/Library/KEP/Skins/<name> with its files.
# Run with -DTOOL=<kep-skin> -DWORK=<scratch folder>.
file(REMOVE_RECURSE "${WORK}")
set(home "${WORK}/home")
set(skins "${home}/Library/KEP/Skins")
file(MAKE_DIRECTORY "${home}" "${WORK}/good" "${WORK}/link" "${WORK}/parent/inner")

# Packs the files `ARGN` of `folder` (paths relative to it) into the zip archive `archive`.
function(pack archive folder)
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf "${archive}" --format=zip ${ARGN}
                  WORKING_DIRECTORY "${folder}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot write ${archive}")
  endif()
endfunction()

# Runs kep-skin install on `archive`; sets rc, out and err in the caller.
function(install_package archive)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env "HOME=${home}" "${TOOL}" install "${archive}"
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  set(rc "${result}" PARENT_SCOPE)
  set(out "${output}" PARENT_SCOPE)
  set(err "${errors}" PARENT_SCOPE)
endfunction()

function(expect_no_skins what)
  file(GLOB left LIST_DIRECTORIES true "${skins}/*" "${skins}/.*")
  if(left)
    message(FATAL_ERROR "${what}: left behind ${left}")
  endif()
endfunction()

file(WRITE "${WORK}/good/skin.ini" "[scheme_h1]\npic=bg.png\n")
file(WRITE "${WORK}/good/bg.png" "picture")

# A symbolic link in the package.
file(WRITE "${WORK}/link/skin.ini" "[scheme_h1]\n")
file(CREATE_LINK "/etc/passwd" "${WORK}/link/passwd" SYMBOLIC)
pack("${WORK}/Link.ssf" "${WORK}/link" skin.ini passwd)
# An entry that leads out of the skin folder.
file(WRITE "${WORK}/parent/inner/skin.ini" "[scheme_h1]\n")
file(WRITE "${WORK}/parent/escaped.txt" "outside")
pack("${WORK}/Parent.ssf" "${WORK}/parent/inner" skin.ini ../escaped.txt)

foreach(hostile Link Parent)
  install_package("${WORK}/${hostile}.ssf")
  if(rc EQUAL 0 OR err STREQUAL "")
    message(FATAL_ERROR "${hostile}.ssf was accepted (status ${rc}): ${out}")
  endif()
  expect_no_skins(${hostile})
  if(EXISTS "${skins}/../escaped.txt" OR EXISTS "${home}/escaped.txt")
    message(FATAL_ERROR "${hostile}.ssf wrote outside the skin folder")
  endif()
endforeach()

# A file that only starts like an archive.
file(WRITE "${WORK}/Damaged.ssf" "PK\nnot an archive")
install_package("${WORK}/Damaged.ssf")
if(rc EQUAL 0)
  message(FATAL_ERROR "a damaged package was accepted: ${out}")
endif()
expect_no_skins(Damaged)

pack("${WORK}/Good.ssf" "${WORK}/good" skin.ini bg.png)
install_package("${WORK}/Good.ssf")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the good package failed (status ${rc}): ${err}")
endif()
if(NOT out STREQUAL "${skins}/Good\n")
  message(FATAL_ERROR "printed '${out}', expected the installed folder ${skins}/Good")
endif()
file(READ "${skins}/Good/bg.png" picture)
if(NOT picture STREQUAL "picture")
  message(FATAL_ERROR "bg.png holds '${picture}'")
endif()
file(GLOB installed RELATIVE "${skins}" "${skins}/*" "${skins}/.*")
if(NOT installed STREQUAL "Good")
  message(FATAL_ERROR "Skins holds ${installed}")
endif()
