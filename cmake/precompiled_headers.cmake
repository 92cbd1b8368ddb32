# Precompiled headers, for builds that compile every file once from scratch
# (CI's sanitizer build): parsing the standard library, qpdf and GoogleTest
# is most of what a -O0 compile of a small file costs. Each target gets its own
# header set, holding qpdf's or GoogleTest's headers only where one of its
# files includes them. Off by default, because a file that forgets an include
# still compiles with them; the plain build goes without and catches that.

set(paginor_standard_headers
    <algorithm> <cstddef> <cstdint> <functional> <map> <memory> <optional>
    <stdexcept> <string> <string_view> <utility> <vector>)

# Whether any C++ source of `target` includes a header starting with `prefix`
# (for example "qpdf/").
function(paginor_target_includes target prefix result)
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  set(found FALSE)
  foreach(source IN LISTS sources)
    if(NOT source MATCHES "\\.(cpp|cc|h)$")
      continue()
    endif()
    if(NOT IS_ABSOLUTE ${source})
      set(source ${source_dir}/${source})
    endif()
    if(EXISTS ${source})
      file(STRINGS ${source} lines REGEX "^#include <${prefix}")
      if(lines)
        set(found TRUE)
        break()
      endif()
    endif()
  endforeach()
  set(${result} ${found} PARENT_SCOPE)
endfunction()

function(paginor_precompile_headers_for target)
  get_target_property(type ${target} TYPE)
  if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
    return()
  endif()
  get_target_property(sources ${target} SOURCES)
  if(NOT sources MATCHES "\\.cpp")
    return()
  endif()
  set(headers ${paginor_standard_headers})
  paginor_target_includes(${target} "qpdf/" uses_qpdf)
  if(uses_qpdf)
    list(APPEND headers <qpdf/QPDF.hh> <qpdf/QPDFObjectHandle.hh>)
  endif()
  paginor_target_includes(${target} "gtest/" uses_gtest)
  if(uses_gtest)
    list(APPEND headers <gtest/gtest.h>)
  endif()
  foreach(header IN LISTS headers)
    target_precompile_headers(${target} PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${header}>")
  endforeach()
endfunction()

# Every target defined in `dir` and the folders below it.
function(paginor_precompile_headers_in dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    paginor_precompile_headers_for(${target})
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    paginor_precompile_headers_in(${subdir})
  endforeach()
endfunction()
