// The PS, SVG and PDF pictures through the program, checked with independent
// tools: xmllint and rsvg-convert for SVG, qpdf, Ghostscript and pdftotext
// for PDF, Ghostscript for EPS. All three must show the same picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/capture.h"
#include "tests/support/run.h"

namespace {

// A page rendered at 72 dots per inch, so that one pixel is one point.
struct tImage {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
};

// A binary PPM as Ghostscript writes it (with a comment line).
tImage read_ppm(const std::string& path)
{
  const std::string data = read_text_file(path);
  size_t at = 0;
  std::vector<int> header;
  while (header.size() < 4 && at < data.size()) {
    if (data[at] == '#') {
      at = data.find('\n', at);
    } else if (std::isspace(static_cast<unsigned char>(data[at]))) {
      at++;
    } else {
      const size_t end = data.find_first_of(" \t\r\n", at);
      const std::string word = data.substr(at, end - at);
      header.push_back(header.empty() ? (word == "P6" ? 6 : 0) : std::atoi(word.c_str()));
      at = end;
    }
  }
  tImage im;
  if (header.size() < 4 || header[0] != 6 || header[3] != 255 || at == std::string::npos)
    return im;
  const size_t size = static_cast<size_t>(header[1]) * static_cast<size_t>(header[2]) * 3;
  if (data.size() < at + 1 + size)
    return im;
  im.width = header[1];
  im.height = header[2];
  im.rgb.assign(data.begin() + static_cast<std::ptrdiff_t>(at + 1),
                data.begin() + static_cast<std::ptrdiff_t>(at + 1 + size));
  return im;
}

tImage render(const std::string& path, const std::string& options)
{
  const std::string ppm = path + ".ppm";
  int status = 0;
  const std::string out = shell("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r72 " + options +
                                " -sOutputFile='" + ppm + "' '" + path + "'", &status);
  EXPECT_EQ(status, 0) << out;
  return read_ppm(ppm);
}

struct tBox {
  int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
  bool empty() const { return x1 < 0; }
};

// The box of the pixels of a colour class: 'k' anything not white, 'b' blue,
// 'r' red.
tBox box_of(const tImage& im, char what)
{
  tBox b;
  for (int y = 0; y < im.height; y++)
    for (int x = 0; x < im.width; x++) {
      const unsigned char* p = &im.rgb[(static_cast<size_t>(y) * static_cast<size_t>(im.width) + static_cast<size_t>(x)) * 3];
      const bool hit = what == 'k'   ? p[0] < 200 || p[1] < 200 || p[2] < 200
                       : what == 'b' ? p[2] > 150 && p[0] < 110 && p[1] < 110
                                     : p[0] > 150 && p[1] < 110 && p[2] < 110;
      if (hit) {
        b.x0 = std::min(b.x0, x), b.y0 = std::min(b.y0, y);
        b.x1 = std::max(b.x1, x), b.y1 = std::max(b.y1, y);
      }
    }
  return b;
}

void expect_same_box(const tBox& a, const tBox& b, const std::string& what)
{
  // Fonts differ a little between renderers: a few points.
  const int tol = 4;
  ASSERT_FALSE(a.empty() || b.empty()) << what;
  EXPECT_TRUE(std::abs(a.x0 - b.x0) <= tol && std::abs(a.y0 - b.y0) <= tol && std::abs(a.x1 - b.x1) <= tol &&
              std::abs(a.y1 - b.y1) <= tol)
    << what << ": " << a.x0 << " " << a.y0 << " " << a.x1 << " " << a.y1 << " against " << b.x0 << " " << b.y0
    << " " << b.x1 << " " << b.y1;
}

// Writes the three pictures of `file` and checks them; `labels` are the taxon
// labels as the user wrote them.
void check_pictures(const std::string& file, const std::vector<std::string>& labels)
{
  if (!have_tools("gs xmllint rsvg-convert qpdf pdftotext python3"))
    GTEST_SKIP() << "the picture tools are not installed (sh scripts/install-deps)";
  tTempDir dir;
  const tRunResult r =
    run_quivet({"-c", "draw splitlabels=numbers; ps a.eps; svg a.svg; pdf a.pdf;", file}, "", dir.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  for (const char* name : {"a.eps", "a.svg", "a.pdf"})
    EXPECT_NE(r.out.find(std::string("Created file: ") + name), std::string::npos) << r.out;

  int status = 0;
  std::string out = shell("xmllint --noout '" + dir.file("a.svg") + "'", &status);
  EXPECT_EQ(status, 0) << out;
  out = shell("qpdf --check '" + dir.file("a.pdf") + "'", &status);
  EXPECT_EQ(status, 0) << out;
  out = shell("rsvg-convert -f pdf -o '" + dir.file("svg.pdf") + "' '" + dir.file("a.svg") + "'", &status);
  ASSERT_EQ(status, 0) << out;

  const tImage eps = render(dir.file("a.eps"), "-dEPSCrop");
  const tImage pdf = render(dir.file("a.pdf"), "");
  const tImage svg = render(dir.file("svg.pdf"), "");
  for (const tImage* im : {&eps, &pdf, &svg})
    ASSERT_TRUE(im->width == 506 && im->height == 506) << im->width << "x" << im->height;
  for (char what : {'k', 'b', 'r'}) {
    const tBox e = box_of(eps, what);
    expect_same_box(e, box_of(pdf, what), std::string("PDF, colour ") + what);
    expect_same_box(e, box_of(svg, what), std::string("SVG, colour ") + what);
  }

  // The labels as text, the way other programs read them.
  const std::string pdf_text = shell("pdftotext -raw '" + dir.file("a.pdf") + "' -");
  const std::string svg_text = shell("python3 -c 'import sys, xml.etree.ElementTree as E\n"
                                     "for t in E.parse(sys.argv[1]).iter(\"{http://www.w3.org/2000/svg}text\"):"
                                     " print(t.text)' '" + dir.file("a.svg") + "'");
  const std::string eps_text = shell("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=txtwrite -o - '" +
                                     dir.file("a.eps") + "'");
  for (const std::string& label : labels) {
    EXPECT_NE(pdf_text.find(label), std::string::npos) << label << " in\n" << pdf_text;
    EXPECT_NE(svg_text.find(label + "\n"), std::string::npos) << label << " in\n" << svg_text;
    // PostScript shows bytes in its standard encoding: plain ASCII only.
    bool plain = true;
    for (unsigned char c : label)
      plain = plain && c < 128 && c != '\'' && c != '`';
    if (plain) {
      EXPECT_NE(eps_text.find(label), std::string::npos) << label << " in\n" << eps_text;
    }
  }
}

} // namespace

TEST(Pictures, EveryFormatShowsTheSamePictureOfTheExample)
{
  check_pictures(source_dir() + "/examples/primates.nex",
                 {"Loris", "Lemur", "Gibbon", "Orangutan", "Gorilla", "Human", "Chimpanzee", "Tarsier",
                  "Macaque", "Baboon", "Marmoset", "Capuchin", "Title: primates.nex"});
}

TEST(Pictures, LabelsThatNeedEscapingShowAsWritten)
{
  check_pictures(source_dir() + "/tests/data/draw/hostile.nex",
                 {"a<b&c", "it's", "say \"hi\"", "paren(x", "back\\slash", "M\xC3\xBCller"});
}

TEST(Pictures, AFailedWriteLeavesTheOldPictureAndNoTemporaryFile)
{
  tTempDir dir;
  const std::string old(100, 'x');
  for (const char* name : {"a.svg", "a.pdf", "a.eps"})
    dir.write(name, old);
  // Writes over 512 bytes fail (and do not kill the program).
  const std::string cmd = "cd '" + dir.path() + "' && trap '' XFSZ && ulimit -f 1 && '" + QV_BINARY +
                          "' -c 'svg a.svg; pdf a.pdf; ps a.eps;' '" + source_dir() + "/examples/primates.nex'";
  const std::string out = shell(cmd);
  for (const char* name : {"a.svg", "a.pdf", "a.eps"}) {
    EXPECT_EQ(read_text_file(dir.file(name)), old) << name;
    EXPECT_NE(out.find(std::string("Couldn't write file: ") + name), std::string::npos) << out;
  }
  EXPECT_EQ(shell("ls -A '" + dir.path() + "'"), "a.eps\na.pdf\na.svg\n");
}

TEST(Pictures, CommandsTakeTheirDefaultNameAndRefuseExtraWords)
{
  tTempDir dir;
  const tRunResult r =
    run_quivet({"-c", "title pic; svg; pdf; svg a b;", source_dir() + "/examples/primates.nex"}, "", dir.path());
  EXPECT_NE(read_text_file(dir.file("pic.svg")).find("<svg"), std::string::npos);
  EXPECT_EQ(read_text_file(dir.file("pic.pdf")).compare(0, 8, "%PDF-1.4"), 0);
  EXPECT_NE((r.out + r.err).find("Usage: SVG [filename];"), std::string::npos) << r.out << r.err;
}
