# clang (14 and 16 alike) cannot compile qpdf 11's JSON.hh in C++20 mode
# against libstdc++ 12: the defaulted virtual destructor of JSON::JSON_array
# instantiates the constexpr destructor of std::vector<JSON> while JSON is
# still incomplete. A clang build sees a copy of the header whose destructor
# has an empty body, which is compiled once JSON is complete and does the
# same; it comes first on every target's include path.
set(paginor_qpdf_json_header /usr/include/qpdf/JSON.hh)
if(EXISTS ${paginor_qpdf_json_header})
  set(paginor_clang_compat_dir ${CMAKE_BINARY_DIR}/clang_compat)
  file(READ ${paginor_qpdf_json_header} paginor_json_text)
  string(REPLACE "virtual ~JSON_array() = default;" "virtual ~JSON_array() {}"
                 paginor_json_text "${paginor_json_text}")
  file(WRITE ${paginor_clang_compat_dir}/qpdf/JSON.hh "${paginor_json_text}")
  include_directories(BEFORE ${paginor_clang_compat_dir})
endif()
