// Reads a description as a stream of fields. A field ends at a comma or at
// the end of its line (CR LF, LF or CR), and the separator is consumed with
// it. Blanks (spaces, tabs) before a field are skipped.
//
// A text field keeps everything from its first non-blank up to the
// separator, trailing blanks included; one that opens with a double quote
// runs to the closing quote (the rest up to the separator is dropped).
//
// A number field also ends at the first blank after its digits; the blanks
// after it, and a comma or line end right after those, belong to it. So
// "orologio,    15              16            30 " is four fields. A number
// field whose text is not a whole decimal number (optional leading "-") is 0.
//
// Reading when nothing is left, or a number outside the destination's
// range, is a read failure: the read returns false and the destination is
// unchanged.
#ifndef SB_DESCRIPTION_FIELD_READER_H_
#define SB_DESCRIPTION_FIELD_READER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sb {

class FieldReader {
 public:
  // `data` must outlive the reader.
  explicit FieldReader(std::string_view data) : data_(data) {}

  // True when nothing is left to read.
  bool eof() const { return pos_ >= data_.size(); }

  bool ReadText(std::string* out);
  bool ReadInt32(int32_t* out);
  bool ReadInt16(int16_t* out);
  bool ReadUInt8(uint8_t* out);

  // 1-based line on which the last field read began, and that line's text
  // without its line end; 0 before any field. A read that fails at the end
  // of the data begins no field and leaves both as they were.
  int line() const { return fieldLine_; }
  // 1-based column, in bytes, of the last field's first byte (after the
  // blanks before it; an opening quote counts); 0 before any field.
  int column() const {
    return fieldLine_ == 0 ? 0 : static_cast<int>(fieldBegin_ - fieldLineBegin_) + 1;
  }
  std::string_view LineText() const;
  // Where, in the data, the line of the last field begins.
  std::size_t line_begin() const { return fieldLineBegin_; }

  // How the last field ended: at a comma, at a line end, at the end of the
  // data, or (a number field only) at blanks followed by more text.
  enum class End { kComma, kLineEnd, kEndOfData, kBeforeText };
  End last_end() const { return lastEnd_; }
  // The last field's own text: a number's token, a text without its quotes.
  std::string_view last_text() const {
    return data_.substr(lastTextBegin_, lastTextEnd_ - lastTextBegin_);
  }
  // False when the last number read had no whole decimal number for text
  // (and so read as 0).
  bool last_number_whole() const { return lastNumberWhole_; }
  // The field that would be read next, when it begins on the line of the
  // last field: its 1-based column and its text up to its separator (blanks
  // at its end dropped). Column 0 when the next field is on another line.
  int NextFieldColumn() const;
  std::string_view NextFieldText() const;

 private:
  void SkipBlanks();
  bool AtLineEnd() const;
  void ConsumeLineEnd();
  // Reads the raw text of a number field and its trailing separator.
  bool ReadNumberToken(std::string_view* token);
  bool ReadInteger(int64_t min, int64_t max, int64_t* out);
  void BeginField();
  // Notes how the field just read ended; call after its separator is consumed.
  void EndField(std::size_t text_begin, std::size_t text_end, bool separator_was_comma);
  std::size_t NextFieldBegin() const;

  std::string_view data_;
  std::size_t pos_ = 0;
  int line_ = 1;               // line of pos_
  std::size_t lineBegin_ = 0;  // offset where line_ begins
  int fieldLine_ = 0;
  std::size_t fieldLineBegin_ = 0;
  std::size_t fieldBegin_ = 0;  // offset of the last field's first byte
  std::size_t lastTextBegin_ = 0;
  std::size_t lastTextEnd_ = 0;
  End lastEnd_ = End::kEndOfData;
  bool lastNumberWhole_ = true;
};

}  // namespace sb

#endif  // SB_DESCRIPTION_FIELD_READER_H_
