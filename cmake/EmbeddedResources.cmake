# Compiles every file of a resource folder into a target, so a bare plug-in binary copied without its
# bundle still has its pictures and help text. The bytes go in with the assembler's .incbin (fast even
# for large pictures); the generated source changes only when the set of files changes, and each file
# is a dependency of its object, so editing a picture rebuilds just that object.

function(mh_embed_resources target resource_dir)
  # Folders and dotfiles (the placeholder that keeps the folder in git) are not resources.
  file(GLOB files LIST_DIRECTORIES false CONFIGURE_DEPENDS "${resource_dir}/*")
  list(FILTER files EXCLUDE REGEX "/\\.[^/]*$")
  list(SORT files)

  set(asm "")
  set(decls "")
  set(table "")
  set(count 0)
  foreach(file IN LISTS files)
    get_filename_component(file_name "${file}" NAME)
    if(file_name MATCHES "[\n\r]")
      message(WARNING "Resource not embedded (line break in its name): ${file}")
      continue()
    endif()
    # Split at the last dot: "Murmurhall Help.txt" -> "Murmurhall Help" + "txt".
    string(FIND "${file_name}" "." dot REVERSE)
    if(dot EQUAL -1)
      set(res_name "${file_name}")
      set(res_type "")
    else()
      string(SUBSTRING "${file_name}" 0 ${dot} res_name)
      math(EXPR type_start "${dot} + 1")
      string(SUBSTRING "${file_name}" ${type_start} -1 res_type)
    endif()

    # The path is a string of the assembler inside a string of C++: escape for both.
    string(REPLACE "\\" "\\\\" as_path "${file}")
    string(REPLACE "\"" "\\\"" as_path "${as_path}")
    string(REPLACE "\\" "\\\\" cxx_path "${as_path}")
    string(REPLACE "\"" "\\\"" cxx_path "${cxx_path}")
    foreach(part res_name res_type)
      string(REPLACE "\\" "\\\\" ${part} "${${part}}")
      string(REPLACE "\"" "\\\"" ${part} "${${part}}")
    endforeach()

    set(sym "mh_embedded_resource_${count}")
    string(APPEND asm
      "    \".balign 16\\n\"\n"
      "    \"${sym}_begin:\\n\"\n"
      "    \".incbin \\\"${cxx_path}\\\"\\n\"\n"
      "    \"${sym}_end:\\n\"\n"
      "    \".byte 0\\n\"\n")
    string(APPEND decls
      "extern \"C\" __attribute__((visibility(\"hidden\"))) const unsigned char ${sym}_begin[];\n"
      "extern \"C\" __attribute__((visibility(\"hidden\"))) const unsigned char ${sym}_end[];\n")
    string(APPEND table "    {\"${res_name}\", \"${res_type}\", ${sym}_begin, ${sym}_end},\n")
    math(EXPR count "${count} + 1")
  endforeach()

  if(count EQUAL 0)
    set(table "    {\"\", \"\", nullptr, nullptr},\n")
  endif()

  set(source "// Written by cmake/EmbeddedResources.cmake from ${resource_dir}; edits are overwritten.\n")
  string(APPEND source "#include \"platform/EmbeddedResourceTable.h\"\n\n")
  if(count GREATER 0)
    # A zero byte follows each file so a text resource can also be read as a C string.
    string(APPEND source "__asm__(\n    \".pushsection .rodata.mh_embedded_resources,\\\"a\\\",@progbits\\n\"\n")
    string(APPEND source "${asm}")
    string(APPEND source "    \".popsection\\n\");\n\n${decls}\n")
  endif()
  string(APPEND source "const EmbeddedResourceEntry kEmbeddedResourceTable[] = {\n${table}};\n")
  string(APPEND source "const size_t kEmbeddedResourceCount = ${count};\n")

  set(out "${CMAKE_BINARY_DIR}/generated/EmbeddedResourceData.cpp")
  # Written only when different, so an unchanged set of files rebuilds nothing.
  set(old "")
  if(EXISTS "${out}")
    file(READ "${out}" old)
  endif()
  if(NOT old STREQUAL source)
    file(WRITE "${out}" "${source}")
  endif()
  target_sources(${target} PRIVATE "${out}")
  set_source_files_properties("${out}" PROPERTIES OBJECT_DEPENDS "${files}")
endfunction()
