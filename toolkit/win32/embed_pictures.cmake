# cmake -DOUTPUT=<file.cpp> -DFILES=<picture;...> -P embed_pictures.cmake
# Writes the pictures as byte arrays, with the table embeddedPictures() returns.
set(arrays "")
set(table "")
set(index 0)
foreach(file IN LISTS FILES)
  get_filename_component(name ${file} NAME)
  file(READ ${file} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND arrays "const unsigned char picture${index}[] = {${bytes}};\n")
  string(APPEND table "    {\"${name}\", picture${index}, sizeof picture${index}},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUTPUT}.new "// Made by embed_pictures.cmake at build time.\n"
  "#include \"toolkit/win32/embedded_pictures.h\"\n\nnamespace tk::win32 {\n\nnamespace {\n"
  "${arrays}"
  "const EmbeddedPicture pictures[] = {\n${table}};\n}  // namespace\n\n"
  "std::span<const EmbeddedPicture> embeddedPictures() { return pictures; }\n\n"
  "}  // namespace tk::win32\n")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
