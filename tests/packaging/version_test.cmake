# Every place that states Tavilo's version, as the build wrote it, against
# the project's version: the newest release of CHANGELOG.md, the AppStream
# metainfo, the manual page, the Debian changelog, the Windows version
# resource and manifest, and what the programs print for --version.
#
#   cmake -DVERSION=1.1 -DCHANGELOG=... -DMETAINFO=... -DMAN_PAGE=...
#         -DDEB_CHANGELOG=... -DRC=... -DMANIFEST=... "-DPROGRAMS=a;b"
#         -P version_test.cmake
#
# To show that no place goes unread, each place is then given a wrong version
# in turn and the check must name exactly that place.
cmake_minimum_required(VERSION 3.20)

set(v "[0-9][0-9A-Za-z.+~-]*")
set(quad "[0-9]+, [0-9]+, [0-9]+, [0-9]+")

# The four numbers Windows wants: 1.1 is 1.1.0.0.
string(REPLACE "." ";" parts "${VERSION}")
list(LENGTH parts n)
while(n LESS 4)
  list(APPEND parts 0)
  math(EXPR n "${n} + 1")
endwhile()
list(JOIN parts "." version4)

# A place: its name, the variable that holds its text, the text before the
# version, the version's pattern and whether it is written in four numbers.
set(places)
function(place name text_var before pattern four)
  set(places ${places} ${name} PARENT_SCOPE)
  set(text_${name} "${${text_var}}" PARENT_SCOPE)
  set(before_${name} "${before}" PARENT_SCOPE)
  set(pattern_${name} "${pattern}" PARENT_SCOPE)
  set(four_${name} ${four} PARENT_SCOPE)
endfunction()

foreach(file CHANGELOG METAINFO MAN_PAGE DEB_CHANGELOG RC MANIFEST)
  if(NOT EXISTS "${${file}}")
    message(FATAL_ERROR "${file}: ${${file}} does not exist")
  endif()
  file(READ "${${file}}" content_${file})
endforeach()
place(changelog content_CHANGELOG "\n## \\[" "${v}" OFF)
place(metainfo content_METAINFO "<release version=\"" "${v}" OFF)
place(man_page content_MAN_PAGE "\\.TH TAVILO 6 [0-9-]+ \"Tavilo " "${v}" OFF)
place(deb_changelog content_DEB_CHANGELOG "^tavilo \\(" "${v}" OFF)
place(rc_file_version content_RC "\"FileVersion\", \"" "${v}" OFF)
place(rc_product_version content_RC "\"ProductVersion\", \"" "${v}" OFF)
place(rc_fileversion content_RC "\nFILEVERSION " "${quad}" ON)
place(rc_productversion content_RC "\nPRODUCTVERSION " "${quad}" ON)
place(manifest content_MANIFEST "<assemblyIdentity [^>]*version=\"" "[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+" ON)
set(i 0)
foreach(program IN LISTS PROGRAMS)
  execute_process(COMMAND ${program} --version OUTPUT_VARIABLE out RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${program} --version ended with ${rc}")
  endif()
  place(program_${i} out "Tavilo\\)? " "${v}" OFF)
  math(EXPR i "${i} + 1")
endforeach()

# Sets `out` to the places whose version is missing or not the project's.
function(check out)
  set(wrong)
  foreach(name IN LISTS places)
    if(NOT text_${name} MATCHES "${before_${name}}(${pattern_${name}})")
      list(APPEND wrong "${name} (no version found)")
      continue()
    endif()
    set(found "${CMAKE_MATCH_1}")
    set(expected ${VERSION})
    if(four_${name})
      string(REPLACE ", " "." found "${found}")
      set(expected ${version4})
    endif()
    if(NOT found STREQUAL expected)
      list(APPEND wrong "${name} (${found})")
    endif()
  endforeach()
  set(${out} "${wrong}" PARENT_SCOPE)
endfunction()

check(wrong)
if(wrong)
  list(JOIN wrong ", " wrong)
  message(FATAL_ERROR "Not version ${VERSION}: ${wrong}")
endif()

foreach(name IN LISTS places)
  set(saved "${text_${name}}")
  if(four_${name})
    set(other "9, 9, 9, 9")
    if(pattern_${name} MATCHES "\\\\\\.")
      set(other "9.9.9.9")
    endif()
  else()
    set(other "9.9.9")
  endif()
  string(REGEX REPLACE "(${before_${name}})${pattern_${name}}" "\\1${other}" text_${name} "${saved}")
  check(wrong)
  set(text_${name} "${saved}")
  list(LENGTH wrong count)
  if(NOT count EQUAL 1 OR NOT wrong MATCHES "^${name} ")
    message(FATAL_ERROR "A wrong version in ${name} was reported as: '${wrong}'")
  endif()
endforeach()
list(LENGTH places count)
message(STATUS "Version ${VERSION} in all ${count} places")
