#pragma once
// A strict reader of the JSON lines korvelst writes, for tests: each line
// must be exactly one object, valid JSON in valid UTF-8, or it is refused.
#include <cctype>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace korvel::test {

struct Json {
  enum class Kind { Null, Bool, Number, String, Array, Object } Type = Kind::Null;
  bool Bool = false;
  double Number = 0;
  std::string String;
  std::vector<Json> Array;
  std::map<std::string, Json> Object;

  bool Has(const std::string& key) const { return Object.count(key) != 0; }
  const Json& operator[](const std::string& key) const {
    static const Json none;
    auto it = Object.find(key);
    return it == Object.end() ? none : it->second;
  }
  bool IsNull() const { return Type == Kind::Null; }
  int64_t Int() const { return static_cast<int64_t>(Number); }
};

class JsonReader {
 public:
  explicit JsonReader(const std::string& text) : s_(text) {}

  // The value that is the whole text, or nullopt with Error() saying why.
  std::optional<Json> Whole() {
    Json v;
    if (!Value(v)) return std::nullopt;
    Space();
    if (i_ != s_.size()) return Fail("text after the value");
    return v;
  }
  const std::string& Error() const { return error_; }

 private:
  std::nullopt_t Fail(const std::string& why) {
    if (error_.empty()) error_ = why + " at " + std::to_string(i_);
    return std::nullopt;
  }
  bool Bad(const std::string& why) {
    Fail(why);
    return false;
  }
  void Space() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\n' || s_[i_] == '\r')) ++i_;
  }
  bool Literal(const char* word) {
    const std::string w(word);
    if (s_.compare(i_, w.size(), w) != 0) return Bad("bad literal");
    i_ += w.size();
    return true;
  }
  bool Value(Json& v) {
    Space();
    if (i_ >= s_.size()) return Bad("no value");
    const char c = s_[i_];
    if (c == '{') return ObjectValue(v);
    if (c == '[') return ArrayValue(v);
    if (c == '"') {
      v.Type = Json::Kind::String;
      return StringValue(v.String);
    }
    if (c == 't' || c == 'f') {
      v.Type = Json::Kind::Bool;
      v.Bool = c == 't';
      return Literal(c == 't' ? "true" : "false");
    }
    if (c == 'n') return Literal("null");
    return NumberValue(v);
  }
  bool ObjectValue(Json& v) {
    v.Type = Json::Kind::Object;
    ++i_;
    Space();
    if (i_ < s_.size() && s_[i_] == '}') return ++i_, true;
    for (;;) {
      Space();
      std::string key;
      if (i_ >= s_.size() || s_[i_] != '"' || !StringValue(key)) return Bad("bad key");
      if (v.Object.count(key)) return Bad("duplicate key " + key);
      Space();
      if (i_ >= s_.size() || s_[i_++] != ':') return Bad("no colon");
      if (!Value(v.Object[key])) return false;
      Space();
      if (i_ < s_.size() && s_[i_] == ',') {
        ++i_;
        continue;
      }
      if (i_ < s_.size() && s_[i_] == '}') return ++i_, true;
      return Bad("object not closed");
    }
  }
  bool ArrayValue(Json& v) {
    v.Type = Json::Kind::Array;
    ++i_;
    Space();
    if (i_ < s_.size() && s_[i_] == ']') return ++i_, true;
    for (;;) {
      v.Array.emplace_back();
      if (!Value(v.Array.back())) return false;
      Space();
      if (i_ < s_.size() && s_[i_] == ',') {
        ++i_;
        continue;
      }
      if (i_ < s_.size() && s_[i_] == ']') return ++i_, true;
      return Bad("array not closed");
    }
  }
  bool NumberValue(Json& v) {
    const size_t start = i_;
    if (i_ < s_.size() && s_[i_] == '-') ++i_;
    if (i_ >= s_.size() || !isdigit(static_cast<unsigned char>(s_[i_]))) return Bad("bad number");
    if (s_[i_] == '0') ++i_;
    else while (i_ < s_.size() && isdigit(static_cast<unsigned char>(s_[i_]))) ++i_;
    if (i_ < s_.size() && s_[i_] == '.') {
      ++i_;
      if (i_ >= s_.size() || !isdigit(static_cast<unsigned char>(s_[i_]))) return Bad("bad fraction");
      while (i_ < s_.size() && isdigit(static_cast<unsigned char>(s_[i_]))) ++i_;
    }
    if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
      ++i_;
      if (i_ < s_.size() && (s_[i_] == '+' || s_[i_] == '-')) ++i_;
      if (i_ >= s_.size() || !isdigit(static_cast<unsigned char>(s_[i_]))) return Bad("bad exponent");
      while (i_ < s_.size() && isdigit(static_cast<unsigned char>(s_[i_]))) ++i_;
    }
    v.Type = Json::Kind::Number;
    v.Number = std::stod(s_.substr(start, i_ - start));
    return true;
  }
  static void PutUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) out += static_cast<char>(cp);
    else if (cp < 0x800) out += static_cast<char>(0xC0 | (cp >> 6)), out += static_cast<char>(0x80 | (cp & 0x3F));
    else if (cp < 0x10000)
      out += static_cast<char>(0xE0 | (cp >> 12)), out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
          out += static_cast<char>(0x80 | (cp & 0x3F));
    else
      out += static_cast<char>(0xF0 | (cp >> 18)), out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F)),
          out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F)), out += static_cast<char>(0x80 | (cp & 0x3F));
  }
  bool Hex4(uint32_t& out) {
    if (i_ + 4 > s_.size()) return Bad("short \\u");
    out = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = s_[i_++];
      out <<= 4;
      if (c >= '0' && c <= '9') out |= uint32_t(c - '0');
      else if (c >= 'a' && c <= 'f') out |= uint32_t(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F') out |= uint32_t(c - 'A' + 10);
      else return Bad("bad \\u digit");
    }
    return true;
  }
  // A UTF-8 sequence starting at i_, copied to out; false when not valid.
  bool Utf8(std::string& out) {
    const auto b0 = static_cast<unsigned char>(s_[i_]);
    size_t n = b0 >= 0xC2 && b0 <= 0xDF ? 2 : b0 >= 0xE0 && b0 <= 0xEF ? 3 : b0 >= 0xF0 && b0 <= 0xF4 ? 4 : 0;
    if (n == 0 || i_ + n > s_.size()) return Bad("not UTF-8");
    uint32_t cp = b0 & (n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
    for (size_t k = 1; k < n; ++k) {
      const auto b = static_cast<unsigned char>(s_[i_ + k]);
      if ((b & 0xC0) != 0x80) return Bad("not UTF-8");
      cp = (cp << 6) | (b & 0x3F);
    }
    const uint32_t min = n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return Bad("not UTF-8");
    out.append(s_, i_, n);
    i_ += n;
    return true;
  }
  bool StringValue(std::string& out) {
    ++i_;  // the opening quote
    while (i_ < s_.size()) {
      const auto c = static_cast<unsigned char>(s_[i_]);
      if (c == '"') return ++i_, true;
      if (c < 0x20) return Bad("raw control character");
      if (c >= 0x80) {
        if (!Utf8(out)) return false;
        continue;
      }
      ++i_;
      if (c != '\\') {
        out += static_cast<char>(c);
        continue;
      }
      if (i_ >= s_.size()) break;
      const char e = s_[i_++];
      switch (e) {
        case '"': case '\\': case '/': out += e; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          uint32_t cp = 0;
          if (!Hex4(cp)) return false;
          if (cp >= 0xD800 && cp <= 0xDBFF) {
            uint32_t lo = 0;
            if (s_.compare(i_, 2, "\\u") != 0) return Bad("lone surrogate");
            i_ += 2;
            if (!Hex4(lo) || lo < 0xDC00 || lo > 0xDFFF) return Bad("bad surrogate pair");
            cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
          } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            return Bad("lone surrogate");
          }
          PutUtf8(out, cp);
          break;
        }
        default: return Bad("bad escape");
      }
    }
    return Bad("string not closed");
  }

  const std::string& s_;
  size_t i_ = 0;
  std::string error_;
};

// The objects of text, one a line; error names the first line that is not
// exactly one JSON object (an empty last line is no line).
inline std::vector<Json> ReadJsonLines(const std::string& text, std::string& error) {
  std::vector<Json> objects;
  std::istringstream in(text);
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    JsonReader reader(line);
    auto v = reader.Whole();
    if (!v || v->Type != Json::Kind::Object) {
      if (error.empty()) error = "line " + std::to_string(number) + ": " + (v ? "not an object" : reader.Error()) + ": " + line;
      continue;
    }
    objects.push_back(std::move(*v));
  }
  return objects;
}

}  // namespace korvel::test
