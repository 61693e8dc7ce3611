// mkicon: turns the icon's text picture (res/ZR5048VersionUp.icon.txt) into a Windows .ico file.
//   mkicon PICTURE.txt OUTPUT.ico
// Each "image WxH Nbpp" section is one image, in file order; the palette is the standard 16-colour
// one (for 8 bpp followed by black entries), and '.' pixels are transparent through the AND mask.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Image {
    int width = 0, height = 0, bitsPerPixel = 0;
    std::vector<std::string> rows;
};

const std::uint8_t PALETTE_16[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                        {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                        {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                        {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

// Picture characters to palette indexes.
int ColourIndex(char c) {
    switch (c) {
        case 'k':
            return 0;  // black
        case 'm':
            return 1;  // dark red
        case 'r':
            return 9;  // red
        case 's':
            return 7;  // silver
        case 'g':
            return 8;  // grey
        case 'w':
            return 15;  // white
        default:
            return 0;  // transparent pixels keep index 0 behind the mask
    }
}

void Put16(std::string& out, unsigned v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// BITMAPINFOHEADER (height doubled for the XOR and AND halves), palette, XOR bitmap, AND mask;
// rows bottom-up, each padded to 4 bytes.
std::string ImageBytes(const Image& image) {
    const int colours = 1 << image.bitsPerPixel;
    std::string out;
    Put32(out, 40);
    Put32(out, image.width);
    Put32(out, image.height * 2);
    Put16(out, 1);
    Put16(out, image.bitsPerPixel);
    Put32(out, 0);  // BI_RGB
    const int xorStride = ((image.width * image.bitsPerPixel + 31) / 32) * 4;
    const int andStride = ((image.width + 31) / 32) * 4;
    Put32(out, (xorStride + andStride) * image.height);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    for (int i = 0; i < colours; ++i) {
        const std::uint8_t* rgb = i < 16 ? PALETTE_16[i] : PALETTE_16[0];
        out += static_cast<char>(rgb[2]);
        out += static_cast<char>(rgb[1]);
        out += static_cast<char>(rgb[0]);
        out += '\0';
    }
    for (int y = image.height - 1; y >= 0; --y) {
        std::string row(xorStride, '\0');
        for (int x = 0; x < image.width; ++x) {
            const int index = ColourIndex(image.rows[y][x]);
            if (image.bitsPerPixel == 8)
                row[x] = static_cast<char>(index);
            else
                row[x / 2] = static_cast<char>(row[x / 2] | (x % 2 ? index : index << 4));
        }
        out += row;
    }
    for (int y = image.height - 1; y >= 0; --y) {
        std::string row(andStride, '\0');
        for (int x = 0; x < image.width; ++x) {
            if (image.rows[y][x] == '.')
                row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
        }
        out += row;
    }
    return out;
}

bool ReadPicture(std::istream& in, std::vector<Image>* images, std::string* error) {
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (line.empty() || line[0] == '#')
            continue;
        if (line.rfind("image ", 0) == 0) {
            Image image;
            if (std::sscanf(line.c_str(), "image %dx%d %dbpp", &image.width, &image.height, &image.bitsPerPixel) != 3 ||
                (image.bitsPerPixel != 4 && image.bitsPerPixel != 8) || image.width <= 0 || image.width > 256 ||
                image.height <= 0 || image.height > 256) {
                *error = "line " + std::to_string(lineNumber) + ": expected \"image WxH 4bpp\" or \"... 8bpp\"";
                return false;
            }
            images->push_back(image);
            continue;
        }
        if (images->empty() || static_cast<int>(line.size()) != images->back().width ||
            static_cast<int>(images->back().rows.size()) == images->back().height) {
            *error = "line " + std::to_string(lineNumber) + ": picture row outside an image or of the wrong width";
            return false;
        }
        images->back().rows.push_back(line);
    }
    for (const Image& image : *images) {
        if (static_cast<int>(image.rows.size()) != image.height) {
            *error = "an image has fewer rows than its height";
            return false;
        }
    }
    return !images->empty() || (*error = "no image in the picture", false);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: mkicon PICTURE.txt OUTPUT.ico\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    std::vector<Image> images;
    std::string error;
    if (!in || !ReadPicture(in, &images, &error)) {
        std::cerr << "mkicon: " << argv[1] << ": " << (in ? error : "cannot read") << "\n";
        return 1;
    }
    std::string file;
    Put16(file, 0);
    Put16(file, 1);  // icon
    Put16(file, static_cast<unsigned>(images.size()));
    std::vector<std::string> bodies;
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (const Image& image : images) {
        bodies.push_back(ImageBytes(image));
        file += static_cast<char>(image.width == 256 ? 0 : image.width);
        file += static_cast<char>(image.height == 256 ? 0 : image.height);
        file += static_cast<char>(image.bitsPerPixel == 4 ? 16 : 0);
        file += '\0';
        Put16(file, 1);
        Put16(file, image.bitsPerPixel);
        Put32(file, static_cast<std::uint32_t>(bodies.back().size()));
        Put32(file, offset);
        offset += static_cast<std::uint32_t>(bodies.back().size());
    }
    for (const std::string& body : bodies)
        file += body;
    std::ofstream out(argv[2], std::ios::binary);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
    if (!out) {
        std::cerr << "mkicon: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
