#include "description/field_reader.h"

namespace sb {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

}  // namespace

void FieldReader::SkipBlanks() {
  while (pos_ < data_.size() && IsBlank(data_[pos_])) ++pos_;
}

bool FieldReader::AtLineEnd() const { return pos_ < data_.size() && IsLineEnd(data_[pos_]); }

void FieldReader::ConsumeLineEnd() {
  if (data_[pos_] == '\r') {
    ++pos_;
    if (pos_ < data_.size() && data_[pos_] == '\n') ++pos_;
  } else {
    ++pos_;
  }
  ++line_;
  lineBegin_ = pos_;
}

void FieldReader::BeginField() {
  fieldLine_ = line_;
  fieldLineBegin_ = lineBegin_;
  fieldBegin_ = pos_;
}

void FieldReader::EndField(std::size_t text_begin, std::size_t text_end, bool separator_was_comma) {
  lastTextBegin_ = text_begin;
  lastTextEnd_ = text_end;
  // A field that consumed a line end leaves pos_ where the next line begins.
  if (separator_was_comma) {
    lastEnd_ = End::kComma;
  } else if (lineBegin_ == pos_ && pos_ > text_begin) {
    lastEnd_ = End::kLineEnd;
  } else if (pos_ >= data_.size()) {
    lastEnd_ = End::kEndOfData;
  } else {
    lastEnd_ = End::kBeforeText;
  }
}

std::size_t FieldReader::NextFieldBegin() const {
  std::size_t at = pos_;
  while (at < data_.size() && IsBlank(data_[at])) ++at;
  return at;
}

int FieldReader::NextFieldColumn() const {
  if (lastEnd_ == End::kLineEnd || lastEnd_ == End::kEndOfData) return 0;
  return static_cast<int>(NextFieldBegin() - lineBegin_) + 1;
}

std::string_view FieldReader::NextFieldText() const {
  if (NextFieldColumn() == 0) return {};
  const std::size_t begin = NextFieldBegin();
  std::size_t end = begin;
  while (end < data_.size() && data_[end] != ',' && !IsLineEnd(data_[end])) ++end;
  while (end > begin && IsBlank(data_[end - 1])) --end;
  return data_.substr(begin, end - begin);
}

std::string_view FieldReader::LineText() const {
  if (fieldLine_ == 0) return {};
  std::size_t end = fieldLineBegin_;
  while (end < data_.size() && !IsLineEnd(data_[end])) ++end;
  return data_.substr(fieldLineBegin_, end - fieldLineBegin_);
}

bool FieldReader::ReadText(std::string* out) {
  if (eof()) return false;
  SkipBlanks();
  BeginField();
  std::size_t text_begin = pos_;
  std::size_t text_end = pos_;
  if (pos_ < data_.size() && data_[pos_] == '"') {
    ++pos_;
    std::size_t close = data_.find('"', pos_);
    std::size_t stop = close == std::string_view::npos ? data_.size() : close;
    // A quoted text may span lines; keep the line count right.
    for (std::size_t i = pos_; i < stop; ++i) {
      if (data_[i] == '\n' || (data_[i] == '\r' && (i + 1 >= stop || data_[i + 1] != '\n'))) {
        ++line_;
        lineBegin_ = i + 1;
      }
    }
    out->assign(data_.substr(pos_, stop - pos_));
    text_begin = pos_;
    text_end = stop;
    pos_ = stop;
    if (pos_ < data_.size()) ++pos_;  // closing quote
    // Whatever follows the quote up to the separator is not part of it.
    while (pos_ < data_.size() && data_[pos_] != ',' && !IsLineEnd(data_[pos_])) ++pos_;
  } else {
    text_begin = pos_;
    while (pos_ < data_.size() && data_[pos_] != ',' && !IsLineEnd(data_[pos_])) ++pos_;
    text_end = pos_;
    out->assign(data_.substr(text_begin, text_end - text_begin));
  }
  bool comma = false;
  if (pos_ < data_.size()) {
    if (data_[pos_] == ',') {
      ++pos_;
      comma = true;
    } else {
      ConsumeLineEnd();
    }
  }
  EndField(text_begin, text_end, comma);
  return true;
}

bool FieldReader::ReadNumberToken(std::string_view* token) {
  if (eof()) return false;
  SkipBlanks();
  BeginField();
  std::size_t start = pos_;
  while (pos_ < data_.size() && data_[pos_] != ',' && !IsLineEnd(data_[pos_]) &&
         !IsBlank(data_[pos_])) {
    ++pos_;
  }
  *token = data_.substr(start, pos_ - start);
  // Blanks after the digits, and a separator right after them, belong to
  // this field.
  SkipBlanks();
  bool comma = false;
  if (pos_ < data_.size()) {
    if (data_[pos_] == ',') {
      ++pos_;
      comma = true;
    } else if (IsLineEnd(data_[pos_])) {
      ConsumeLineEnd();
    }
  }
  EndField(start, start + token->size(), comma);
  return true;
}

bool FieldReader::ReadInteger(int64_t min, int64_t max, int64_t* out) {
  std::string_view token;
  if (!ReadNumberToken(&token)) return false;
  bool negative = !token.empty() && token[0] == '-';
  std::string_view digits = negative ? token.substr(1) : token;
  lastNumberWhole_ = false;
  if (digits.empty()) {
    *out = 0;
    return true;
  }
  int64_t value = 0;
  bool too_large = false;
  for (char c : digits) {
    if (c < '0' || c > '9') {
      *out = 0;  // not a number
      return true;
    }
    if (!too_large) {
      value = value * 10 + (c - '0');
      if (value > (int64_t{1} << 40)) too_large = true;  // far past any range
    }
  }
  lastNumberWhole_ = true;
  if (negative) value = -value;
  if (too_large || value < min || value > max) return false;
  *out = value;
  return true;
}

bool FieldReader::ReadInt32(int32_t* out) {
  int64_t v;
  if (!ReadInteger(INT32_MIN, INT32_MAX, &v)) return false;
  *out = static_cast<int32_t>(v);
  return true;
}

bool FieldReader::ReadInt16(int16_t* out) {
  int64_t v;
  if (!ReadInteger(INT16_MIN, INT16_MAX, &v)) return false;
  *out = static_cast<int16_t>(v);
  return true;
}

bool FieldReader::ReadUInt8(uint8_t* out) {
  int64_t v;
  if (!ReadInteger(0, 255, &v)) return false;
  *out = static_cast<uint8_t>(v);
  return true;
}

}  // namespace sb
