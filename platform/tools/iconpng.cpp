/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */

// iconpng FILE TYPE ID COLORMAP SCALE OUT: renders the square 8-bit icon resource TYPE ID of
// FILE as a PNG, each pixel taken through the colour map (lines "INDEX R G B"; index 255 is
// transparent) and repeated SCALE times in both directions, so that larger sizes stay sharp.

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <png.h>

#include <storage/private/ResourceFile.h>


namespace {

const char* const kProgram = "iconpng";
const uint8 kTransparentIndex = 255;


struct color {
	uint8 red;
	uint8 green;
	uint8 blue;
};


bool
read_color_map(const char* path, std::vector<color>* _map)
{
	std::ifstream file(path);
	if (!file)
		return false;
	std::vector<bool> seen(256, false);
	_map->assign(256, color{0, 0, 0});
	std::string line;
	while (std::getline(file, line)) {
		if (line.empty() || line[0] == '#')
			continue;
		std::istringstream words(line);
		int index;
		int red;
		int green;
		int blue;
		if (!(words >> index >> red >> green >> blue) || index < 0 || index > 255 || red < 0
			|| red > 255 || green < 0 || green > 255 || blue < 0 || blue > 255)
			return false;
		(*_map)[index] = color{uint8(red), uint8(green), uint8(blue)};
		seen[index] = true;
	}
	for (bool present : seen) {
		if (!present)
			return false;
	}
	return true;
}


bool
write_png(const char* path, const std::vector<uint8>& rgba, int side)
{
	FILE* file = fopen(path, "wb");
	if (file == NULL)
		return false;
	png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
	png_infop info = png != NULL ? png_create_info_struct(png) : NULL;
	volatile bool written = false;
	if (info != NULL && setjmp(png_jmpbuf(png)) == 0) {
		png_init_io(png, file);
		png_set_IHDR(png, info, side, side, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
			PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
		png_write_info(png, info);
		for (int y = 0; y < side; y++)
			png_write_row(png, &rgba[size_t(y) * side * 4]);
		png_write_end(png, NULL);
		written = true;
	}
	png_destroy_write_struct(&png, &info);
	return fclose(file) == 0 && written;
}

} // namespace


int
main(int argc, char** argv)
{
	if (argc != 7) {
		fprintf(stderr, "usage: %s FILE TYPE ID COLORMAP SCALE OUT\n", kProgram);
		return 2;
	}
	type_code type = 0;
	for (const char* c = argv[2]; *c != '\0'; c++)
		type = type << 8 | uint8(*c);
	int32 id = atoi(argv[3]);
	int scale = atoi(argv[5]);
	if (strlen(argv[2]) != 4 || scale < 1 || scale > 64) {
		fprintf(stderr, "usage: %s FILE TYPE ID COLORMAP SCALE OUT\n", kProgram);
		return 2;
	}

	std::vector<BPrivate::resource_record> records;
	if (BPrivate::read_resources(argv[1], &records) != B_OK) {
		fprintf(stderr, "%s: can't read the resources of %s\n", kProgram, argv[1]);
		return 1;
	}
	const BPrivate::resource_record* icon = BPrivate::find_resource(records, type, id);
	int side = icon != NULL ? int(lround(sqrt(double(icon->data.size())))) : 0;
	if (icon == NULL || side == 0 || size_t(side) * side != icon->data.size()) {
		fprintf(stderr, "%s: %s has no square icon '%s' %d\n", kProgram, argv[1], argv[2], int(id));
		return 1;
	}
	std::vector<color> map;
	if (!read_color_map(argv[4], &map)) {
		fprintf(stderr, "%s: %s is not a colour map of 256 entries\n", kProgram, argv[4]);
		return 1;
	}

	int outSide = side * scale;
	std::vector<uint8> rgba(size_t(outSide) * outSide * 4);
	for (int y = 0; y < outSide; y++) {
		for (int x = 0; x < outSide; x++) {
			uint8 index = icon->data[size_t(y / scale) * side + x / scale];
			uint8* pixel = &rgba[(size_t(y) * outSide + x) * 4];
			pixel[0] = map[index].red;
			pixel[1] = map[index].green;
			pixel[2] = map[index].blue;
			pixel[3] = index == kTransparentIndex ? 0 : 255;
		}
	}
	if (!write_png(argv[6], rgba, outSide)) {
		fprintf(stderr, "%s: can't write %s\n", kProgram, argv[6]);
		return 1;
	}
	return 0;
}
