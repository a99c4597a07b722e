// One reader and one writer per file format. Each works on the whole file in
// memory; a failure returns false with a one-line reason (without the file name).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image.h"
#include "image_format.h"

namespace qclr_tool {

bool DecodePnm(const std::vector<uint8_t>& file, Image* image, std::string* error);
bool EncodePnm(const Image& image, bool ppm, std::vector<uint8_t>* file, std::string* error);

bool DecodePng(const std::vector<uint8_t>& file, Image* image, std::string* error);
bool EncodePng(const Image& image, std::vector<uint8_t>* file, std::string* error);

bool DecodeJpeg(const std::vector<uint8_t>& file, Image* image, std::string* error);
bool EncodeJpeg(const Image& image, std::vector<uint8_t>* file, std::string* error);

bool DecodeTiff(const std::vector<uint8_t>& file, Image* image, std::string* error);
bool EncodeTiff(const Image& image, std::vector<uint8_t>* file, std::string* error);

bool DecodeRaw(const std::vector<uint8_t>& file, const RawLayout& layout, Image* image,
               std::string* error);
bool EncodeRaw(const Image& image, int32_t align, std::vector<uint8_t>* file, std::string* error);

// True for the first bytes of each format.
bool LooksLikePnm(const std::vector<uint8_t>& file);
bool LooksLikePng(const std::vector<uint8_t>& file);
bool LooksLikeJpeg(const std::vector<uint8_t>& file);
bool LooksLikeTiff(const std::vector<uint8_t>& file);

}  // namespace qclr_tool
