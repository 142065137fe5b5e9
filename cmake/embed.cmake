# tamarel_embed(OUT_CPP NAMESPACE ns FILES a.bmp b.bmp ...): a source file
# that holds each file's bytes as `ns::k<Stem>` with `ns::k<Stem>Size`.
function(tamarel_embed out_cpp)
  cmake_parse_arguments(E "" "NAMESPACE" "FILES" ${ARGN})
  add_custom_command(
    OUTPUT ${out_cpp}
    COMMAND ${CMAKE_COMMAND} -DOUT=${out_cpp} -DNS=${E_NAMESPACE}
            "-DFILES=${E_FILES}" -P ${CMAKE_SOURCE_DIR}/cmake/embed_run.cmake
    DEPENDS ${E_FILES} ${CMAKE_SOURCE_DIR}/cmake/embed_run.cmake
    VERBATIM)
endfunction()
