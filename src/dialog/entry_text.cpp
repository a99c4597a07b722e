#include "dialog/entry_text.h"

#include <charconv>
#include <system_error>

#include "dialog/control_ids.h"

namespace qclr::dialog {
namespace {

std::string_view Trimmed(std::string_view text) {
  const auto space = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

bool ParseChromaticity(std::string_view text, double* value) {
  text = Trimmed(text);
  if (text.empty()) return false;
  double parsed = 0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, parsed, std::chars_format::general);
  if (result.ec != std::errc() || result.ptr != end) return false;
  if (!(parsed > 0.0 && parsed < 1.0)) return false;  // also refuses NaN
  *value = parsed;
  return true;
}

bool ParseBlackGeneration(std::string_view text, int32_t* value) {
  text = Trimmed(text);
  if (text.empty()) return false;
  int32_t parsed = 0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, parsed);
  if (result.ec != std::errc() || result.ptr != end) return false;
  if (parsed < 0 || parsed > kBlackGenerationMax) return false;
  *value = parsed;
  return true;
}

void FormatChromaticity(double value, char* text, size_t capacity) {
  if (capacity == 0) return;
  const auto result = std::to_chars(text, text + capacity - 1, value, std::chars_format::general, 8);
  *(result.ec == std::errc() ? result.ptr : text) = '\0';
}

}  // namespace qclr::dialog
