#include "sheet_reader.hpp"

#include <array>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace artgen {
namespace {

struct Rect {
    int x, y, w, h;
    bool overlaps(const Rect &o) const
    {
        return x < o.x + o.w && o.x < x + w && y < o.y + o.h && o.y < y + h;
    }
};

class Reader {
public:
    explicit Reader(const std::string &path) : path_(path), in_(path)
    {
        if (!in_)
            throw std::runtime_error("cannot open " + path);
    }

    // Next line with any Windows line ending removed; false at end of file.
    bool next(std::string &line)
    {
        if (!std::getline(in_, line))
            return false;
        ++line_no_;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return true;
    }

    [[noreturn]] void fail(const std::string &what) const
    {
        throw std::runtime_error(path_ + ":" + std::to_string(line_no_) + ": " + what);
    }

private:
    std::string path_;
    std::ifstream in_;
    int line_no_ = 0;
};

int ReadInt(std::istringstream &words, const Reader &r, const char *what)
{
    int v = 0;
    if (!(words >> v))
        r.fail(std::string("expected ") + what);
    return v;
}

// Near-magenta colours would be keyed out or look like holes in game.
bool TooCloseToMagenta(Rgb c)
{
    return c.r > 200 && c.g < 60 && c.b > 200;
}

} // namespace

Sheet ReadSheet(const std::string &path)
{
    Reader r(path);
    std::optional<Sheet> sheet;
    std::array<std::optional<Rgb>, 256> palette{};
    std::vector<Rect> placed;
    std::string line;

    while (r.next(line)) {
        std::istringstream words(line);
        std::string keyword;
        if (!(words >> keyword) || keyword[0] == '#')
            continue;

        if (keyword == "sheet") {
            if (sheet)
                r.fail("second 'sheet' line");
            std::string name;
            if (!(words >> name))
                r.fail("expected output file name");
            const int w = ReadInt(words, r, "sheet width");
            const int h = ReadInt(words, r, "sheet height");
            if (w <= 0 || h <= 0)
                r.fail("sheet size must be positive");
            sheet.emplace(Sheet{name, Image(w, h, kMagenta)});
        } else if (keyword == "colour") {
            std::string key;
            if (!(words >> key) || key.size() != 1 || key[0] == '.' || key[0] == '#')
                r.fail("colour key must be one character other than '.' and '#'");
            std::array<int, 3> v{};
            for (int &c : v) {
                c = ReadInt(words, r, "colour component");
                if (c < 0 || c > 255)
                    r.fail("colour component out of 0..255");
            }
            const Rgb c{static_cast<std::uint8_t>(v[0]), static_cast<std::uint8_t>(v[1]),
                        static_cast<std::uint8_t>(v[2])};
            if (TooCloseToMagenta(c))
                r.fail("colour too close to see-through magenta");
            palette[static_cast<unsigned char>(key[0])] = c;
        } else if (keyword == "sprite") {
            if (!sheet)
                r.fail("'sprite' before 'sheet'");
            std::string name;
            if (!(words >> name))
                r.fail("expected sprite name");
            Rect rc{};
            rc.x = ReadInt(words, r, "x");
            rc.y = ReadInt(words, r, "y");
            rc.w = ReadInt(words, r, "width");
            rc.h = ReadInt(words, r, "height");
            Image &img = sheet->image;
            if (rc.w <= 0 || rc.h <= 0 || rc.x < 0 || rc.y < 0 || rc.x + rc.w > img.width() ||
                rc.y + rc.h > img.height())
                r.fail("sprite " + name + " does not fit in the sheet");
            for (const Rect &o : placed)
                if (rc.overlaps(o))
                    r.fail("sprite " + name + " overlaps another sprite");
            placed.push_back(rc);

            for (int row = 0; row < rc.h; ++row) {
                if (!r.next(line))
                    r.fail("sprite " + name + " is missing rows");
                if (static_cast<int>(line.size()) != rc.w)
                    r.fail("row of sprite " + name + " is not " + std::to_string(rc.w) +
                           " characters");
                for (int col = 0; col < rc.w; ++col) {
                    const char ch = line[static_cast<std::size_t>(col)];
                    if (ch == '.')
                        continue;
                    const auto &c = palette[static_cast<unsigned char>(ch)];
                    if (!c)
                        r.fail(std::string("no colour for '") + ch + "'");
                    img.set(rc.x + col, rc.y + row, *c);
                }
            }
        } else {
            r.fail("unknown statement '" + keyword + "'");
        }
    }
    if (!sheet)
        r.fail("no 'sheet' line");
    return std::move(*sheet);
}

} // namespace artgen
