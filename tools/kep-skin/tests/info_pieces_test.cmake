# kep-skin info and pieces on one skin written in three encodings.
# Run with -DKEP_SKIN=... -DMAKE_FIXTURES=... -DWORK_DIR=...
include(${CMAKE_CURRENT_LIST_DIR}/skin_check_common.cmake)

run_skin(0 utf8 info "${WORK_DIR}/skins/utf8" --scheme scheme_h1)
foreach(encoding utf16le gb18030)
  run_skin(0 other info "${WORK_DIR}/skins/${encoding}" --scheme scheme_h1)
  if(NOT other STREQUAL utf8)
    message(FATAL_ERROR "${encoding} reads differently:\n${other}\n--- utf8:\n${utf8}")
  endif()
endforeach()
foreach(line
    "name: 蓝色经典" "version: 2.0" "date: No Information"
    "font_ch: 华文宋体 -> WenQuanYi Micro Hei" "font_en: Arial -> DejaVu Sans" "font_size: 15"
    "zhongwen_color: #FF0000" "pinyin_color: #00FF00" "zhongwen_first_color: #0000FF"
    "scheme: scheme_h1 (index 0)" "layout_horizontal: 1,10,10" "layout_vertical: 0,8,8"
    "separator: #0000FF, insets 2,2" "transparent: off" "anchor: 3,4" "picture: 横.png 100x40"
    "piece0: 0,0 10x8" "piece4: 10,8 80x24" "piece8: 90,32 10x8")
  expect_line("${utf8}" "${line}")
endforeach()

run_skin(0 secondary info "${WORK_DIR}/skins/utf8" --scheme scheme_h2)
expect_line("${secondary}" "layout: not read for this scheme; no pieces")
run_skin(1 missing info "${WORK_DIR}/skins/absent")
expect_line("${missing}" "kep-skin: ${WORK_DIR}/skins/absent: the skin folder does not exist (code -1)")
run_skin(3 no_ini info "${WORK_DIR}/skins/no-ini")
run_skin(2 bad_scheme info "${WORK_DIR}/skins/utf8" --scheme scheme_x)

run_skin(0 pieces pieces "${WORK_DIR}/skins/gb18030" --scheme scheme_h1 --out "${WORK_DIR}/pieces")
expect_line("${pieces}" "piece4.png 80x24")
expect_line("${pieces}" "empty: none")
foreach(index RANGE 8)
  if(NOT EXISTS "${WORK_DIR}/pieces/piece${index}.png")
    message(FATAL_ERROR "piece${index}.png not written")
  endif()
endforeach()
# The vertical scheme has no borders: only the centre piece.
run_skin(0 vertical pieces "${WORK_DIR}/skins/utf8" --scheme scheme_v1 --out "${WORK_DIR}/vertical")
expect_line("${vertical}" "piece4.png 100x40")
expect_line("${vertical}" "empty: piece0 piece1 piece2 piece3 piece5 piece6 piece7 piece8")
file(GLOB written "${WORK_DIR}/vertical/*")
list(LENGTH written count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "vertical scheme wrote ${count} files: ${written}")
endif()
run_skin(2 no_out pieces "${WORK_DIR}/skins/utf8" --scheme scheme_h1)
message(STATUS "kep-skin info and pieces: all checks passed")
