# The short guide in the program folder: Vorgehensweise_Velmoran.txt as written in data/, and
# Die_Statistik_Velmoran_2021.pdf made from it at build time (plain PDF 1.4, Helvetica in
# Windows-1252, so the text needs no tool beyond CMake itself).
#
# Used two ways:
#   include(cmake/guide.cmake)   in the top-level CMakeLists.txt, after VELMORAN_PROGRAM_DIR is
#                                set: adds the target velmoran_guide (built with ALL)
#   cmake -DINPUT=guide.txt -DOUTPUT=guide.pdf -P cmake/guide.cmake
#                                writes the PDF of one text file (Windows-1252, CR LF)

if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.21)
  if(NOT INPUT OR NOT OUTPUT)
    message(FATAL_ERROR "usage: cmake -DINPUT=text -DOUTPUT=pdf -P guide.cmake")
  endif()

  set(lines_per_page 56)
  set(font_size 10)
  set(leading 13)
  set(left 56)
  set(top 790)

  # The text's bytes as hex pairs each followed by a blank, so that a line end "0d 0a " can
  # only be found on a byte boundary; every line becomes a PDF hex string, which needs no
  # escaping and keeps the Windows-1252 bytes as they are (WinAnsiEncoding).
  file(READ "${INPUT}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\1 " spaced "${hex}")
  string(REPLACE "0a " "" spaced "${spaced}")
  string(REPLACE "0d " ";" lines "${spaced}")
  list(LENGTH lines count)
  if(count GREATER 0)
    list(GET lines -1 last)
    if(last STREQUAL "")
      list(REMOVE_AT lines -1)
    endif()
  endif()

  set(pdf "%PDF-1.4\n")
  set(offsets)
  macro(add_object number body)
    string(LENGTH "${pdf}" offset)
    list(APPEND offsets ${offset})
    string(APPEND pdf "${number} 0 obj\n${body}\nendobj\n")
  endmacro()

  # Pages of at most lines_per_page lines; objects 4, 6, ... are pages, 5, 7, ... their text.
  set(page_streams)
  set(stream "")
  set(on_page 0)
  foreach(line IN LISTS lines)
    if(on_page EQUAL lines_per_page)
      list(APPEND page_streams "${stream}")
      set(stream "")
      set(on_page 0)
    endif()
    string(REPLACE " " "" line_hex "${line}")
    if(line_hex STREQUAL "")
      string(APPEND stream "T*\n")
    else()
      string(APPEND stream "<${line_hex}> Tj T*\n")
    endif()
    math(EXPR on_page "${on_page} + 1")
  endforeach()
  list(APPEND page_streams "${stream}")
  list(LENGTH page_streams page_count)

  set(kids "")
  math(EXPR last_page "${page_count} - 1")
  foreach(i RANGE ${last_page})
    math(EXPR page_object "4 + 2 * ${i}")
    string(APPEND kids " ${page_object} 0 R")
  endforeach()

  add_object(1 "<< /Type /Catalog /Pages 2 0 R >>")
  add_object(2 "<< /Type /Pages /Kids [${kids} ] /Count ${page_count} >>")
  add_object(3 "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>")
  foreach(i RANGE ${last_page})
    math(EXPR page_object "4 + 2 * ${i}")
    math(EXPR content_object "5 + 2 * ${i}")
    list(GET page_streams ${i} text)
    set(content "BT\n/F1 ${font_size} Tf\n${leading} TL\n${left} ${top} Td\n${text}ET")
    string(LENGTH "${content}" content_length)
    add_object(${page_object} "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 3 0 R >> >> /Contents ${content_object} 0 R >>")
    add_object(${content_object} "<< /Length ${content_length} >>\nstream\n${content}\nendstream")
  endforeach()

  # Cross-reference table: one 20-byte entry per object, offsets in ten digits.
  string(LENGTH "${pdf}" xref_offset)
  list(LENGTH offsets object_count)
  math(EXPR size "${object_count} + 1")
  string(APPEND pdf "xref\n0 ${size}\n0000000000 65535 f \n")
  foreach(offset IN LISTS offsets)
    string(LENGTH "${offset}" digits)
    math(EXPR zeros "10 - ${digits}")
    string(REPEAT "0" ${zeros} padding)
    string(APPEND pdf "${padding}${offset} 00000 n \n")
  endforeach()
  string(APPEND pdf "trailer\n<< /Size ${size} /Root 1 0 R >>\nstartxref\n${xref_offset}\n%%EOF\n")
  file(WRITE "${OUTPUT}" "${pdf}")
  return()
endif()

set(VELMORAN_GUIDE_TEXT ${PROJECT_SOURCE_DIR}/data/Vorgehensweise_Velmoran.txt)
set(VELMORAN_GUIDE_TEXT_OUT ${VELMORAN_PROGRAM_DIR}/Vorgehensweise_Velmoran.txt)
set(VELMORAN_GUIDE_PDF ${VELMORAN_PROGRAM_DIR}/Die_Statistik_Velmoran_2021.pdf)
add_custom_command(OUTPUT ${VELMORAN_GUIDE_TEXT_OUT} ${VELMORAN_GUIDE_PDF}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VELMORAN_PROGRAM_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VELMORAN_GUIDE_TEXT} ${VELMORAN_GUIDE_TEXT_OUT}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${VELMORAN_GUIDE_TEXT} -DOUTPUT=${VELMORAN_GUIDE_PDF}
          -P ${CMAKE_CURRENT_LIST_FILE}
  DEPENDS ${VELMORAN_GUIDE_TEXT} ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Writing the short guide and its PDF"
  VERBATIM)
add_custom_target(velmoran_guide ALL DEPENDS ${VELMORAN_GUIDE_TEXT_OUT} ${VELMORAN_GUIDE_PDF})
