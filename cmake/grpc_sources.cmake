# stats_provider_grpc_sources(<var> <proto> <out-dir>): generates the protobuf and gRPC C++ code
# of <proto> into <out-dir> at build time, with Debian's protoc and grpc_cpp_plugin, and sets
# <var> to the generated files. Compile them without our warning flags.
function(stats_provider_grpc_sources var proto out_dir)
  find_program(STATS_PROVIDER_PROTOC protoc REQUIRED)
  find_program(STATS_PROVIDER_GRPC_CPP_PLUGIN grpc_cpp_plugin REQUIRED)
  get_filename_component(name ${proto} NAME_WE)
  get_filename_component(proto_dir ${proto} DIRECTORY)
  set(files ${out_dir}/${name}.pb.cc ${out_dir}/${name}.pb.h ${out_dir}/${name}.grpc.pb.cc
            ${out_dir}/${name}.grpc.pb.h)
  add_custom_command(
    OUTPUT ${files}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
    COMMAND ${STATS_PROVIDER_PROTOC} --proto_path=${proto_dir} --cpp_out=${out_dir}
            --grpc_out=${out_dir} --plugin=protoc-gen-grpc=${STATS_PROVIDER_GRPC_CPP_PLUGIN}
            ${proto}
    DEPENDS ${proto}
    COMMENT "Generating the C++ code of ${name}.proto"
    VERBATIM)
  set(${var} ${files} PARENT_SCOPE)
endfunction()
