// coderain-bake: writes, as C++ source for a build that has no font library
// and no files of its own (the web page), what the scene would otherwise
// read at start-up. Built for the machine that builds, and run by the build.
//
//   coderain-bake fonts OUT.cpp REGULAR BOLD
//       the glyph tables of every font the scene opens from the two faces,
//       rasterised here as the program rasterises them
//   coderain-bake files OUT.cpp FILE...
//       each file's bytes, under its name without the folder
//
// The source's layout is host/web/baked.h's. Exit status 0 when OUT is
// written, 1 when a face or a file cannot be read, 2 for bad arguments.
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "core/gfx/font.h"

namespace {

using namespace coderain;

int Failure(const std::string& what) {
  std::cerr << "coderain-bake: " << what << "\n";
  return 1;
}

// Bytes as a C++ initialiser, 24 a line.
void WriteBytes(std::ostream& out, const std::vector<std::uint8_t>& bytes) {
  out << "{";
  for (std::size_t i = 0; i < bytes.size(); ++i) out << (i % 24 ? "" : "\n    ") << int{bytes[i]} << ",";
  if (bytes.empty()) out << "0";
  out << "}";
}

std::string Quoted(const std::string& s) {
  std::string q = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') q += '\\';
    q += c;
  }
  return q + "\"";
}

template <typename T>
bool Fits(int v) {
  return v >= std::numeric_limits<T>::min() && v <= std::numeric_limits<T>::max();
}

// One table as a glyph array and a bit array; false when a glyph's
// placement does not fit the baked form.
bool WriteTable(std::ostream& out, std::size_t n, const GlyphTable& table) {
  std::vector<std::uint8_t> bits;
  std::ostringstream glyphs;
  for (const Glyph& g : table.glyphs) {
    if (!Fits<std::int8_t>(g.left) || !Fits<std::int8_t>(g.top) || !Fits<std::uint8_t>(g.width) ||
        !Fits<std::uint8_t>(g.height) || !Fits<std::uint8_t>(g.advance))
      return false;
    glyphs << "\n    {" << g.left << ", " << g.top << ", " << g.width << ", " << g.height << ", " << g.advance << ", "
           << bits.size() << "},";
    const std::size_t start = bits.size();
    bits.resize(start + (g.mask.size() + 7) / 8, 0);
    for (std::size_t i = 0; i < g.mask.size(); ++i)
      if (g.mask[i]) bits[start + i / 8] |= static_cast<std::uint8_t>(0x80u >> (i % 8));
  }
  out << "const std::uint8_t kBits" << n << "[] = ";
  WriteBytes(out, bits);
  out << ";\nconst Glyph kGlyphs" << n << "[256] = {" << glyphs.str() << "\n};\n";
  return true;
}

int BakeFonts(const std::string& path, const FontFaces& faces) {
  const std::array<FaceRequest, 3> asked = SceneFaceRequests(faces);
  std::ostringstream tables, list;
  for (std::size_t i = 0; i < asked.size(); ++i) {
    const FaceRequest& r = asked[i];
    GlyphTable table;
    std::string error;
    if (!RasterizeFace(r.face, r.pixelSize, r.embolden, &table, &error)) return Failure(error);
    if (!WriteTable(tables, i, table)) return Failure(r.face + ": a glyph too large to bake");
    list << "\n    {" << Quoted(r.face) << ", " << r.pixelSize << ", " << (r.embolden ? "true" : "false") << ", "
         << table.rowHeight << ", kGlyphs" << i << ", kBits" << i << "},";
  }
  std::ofstream out(path, std::ios::binary);
  out << "// Written by coderain-bake: the scene's fonts.\n#include \"host/web/baked.h\"\n\n"
      << "namespace coderain::baked {\nnamespace {\n"
      << tables.str() << "}  // namespace\n\n"
      << "const char* const kRegularFace = " << Quoted(faces.regular) << ";\n"
      << "const char* const kBoldFace = " << Quoted(faces.bold) << ";\n"
      << "const Font kFonts[] = {" << list.str() << "\n};\n"
      << "const std::size_t kFontCount = " << asked.size() << ";\n\n}  // namespace coderain::baked\n";
  out.close();
  return out ? 0 : Failure("cannot write " + path);
}

int BakeFiles(const std::string& path, const std::vector<std::string>& files) {
  std::ostringstream arrays, list;
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::ifstream in(files[i], std::ios::binary);
    if (!in) return Failure("cannot read " + files[i]);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return Failure("cannot read " + files[i]);
    arrays << "const std::uint8_t kFile" << i << "[] = ";
    WriteBytes(arrays, bytes);
    arrays << ";\n";
    list << "\n    {" << Quoted(std::filesystem::path(files[i]).filename().string()) << ", kFile" << i << ", "
         << bytes.size() << "},";
  }
  std::ofstream out(path, std::ios::binary);
  out << "// Written by coderain-bake: the text files.\n#include \"host/web/baked.h\"\n\n"
      << "namespace coderain::baked {\nnamespace {\n"
      << arrays.str() << "}  // namespace\n\n"
      << "const File kFiles[] = {" << list.str() << "\n};\n"
      << "const std::size_t kFileCount = " << files.size() << ";\n\n}  // namespace coderain::baked\n";
  out.close();
  return out ? 0 : Failure("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 4 && args[0] == "fonts") return BakeFonts(args[1], {args[2], args[3]});
  if (args.size() >= 3 && args[0] == "files") return BakeFiles(args[1], {args.begin() + 2, args.end()});
  std::cerr << "usage: coderain-bake fonts OUT.cpp REGULAR BOLD | coderain-bake files OUT.cpp FILE...\n";
  return 2;
}
