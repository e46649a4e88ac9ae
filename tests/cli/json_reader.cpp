#include "cli/json_reader.h"

#include "common/text.h"

#include <charconv>
#include <stdexcept>

namespace pw::test {

namespace {

class JsonParser {
public:
    explicit JsonParser(std::string_view text) : m_text(text) {}

    JsonValue parseDocument() {
        JsonValue value = parseValue();
        skipSpace();
        if (m_pos != m_text.size()) {
            fail("text after the value");
        }
        return value;
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        throw std::runtime_error("JSON: " + what + " at offset " + std::to_string(m_pos));
    }

    void skipSpace() {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\n' ||
                                         m_text[m_pos] == '\r' || m_text[m_pos] == '\t')) {
            ++m_pos;
        }
    }

    void expect(char c) {
        skipSpace();
        if (m_pos >= m_text.size() || m_text[m_pos] != c) {
            fail(std::string("expected '") + c + "'");
        }
        ++m_pos;
    }

    bool consume(std::string_view word) {
        if (m_text.substr(m_pos, word.size()) == word) {
            m_pos += word.size();
            return true;
        }
        return false;
    }

    JsonValue parseValue() {
        skipSpace();
        if (m_pos >= m_text.size()) {
            fail("missing value");
        }
        const char c = m_text[m_pos];
        if (c == '{') {
            return {parseObject()};
        }
        if (c == '[') {
            return {parseArray()};
        }
        if (c == '"') {
            return {parseString()};
        }
        if (consume("null")) {
            return {nullptr};
        }
        if (consume("true")) {
            return {true};
        }
        if (consume("false")) {
            return {false};
        }
        return {parseNumber()};
    }

    std::shared_ptr<JsonObject> parseObject() {
        auto object = std::make_shared<JsonObject>();
        expect('{');
        skipSpace();
        if (consume("}")) {
            return object;
        }
        do {
            skipSpace();
            std::string key = parseString();
            expect(':');
            if (!object->emplace(key, parseValue()).second) {
                fail("duplicate key " + key);
            }
            skipSpace();
        } while (consume(","));
        expect('}');
        return object;
    }

    std::shared_ptr<JsonArray> parseArray() {
        auto array = std::make_shared<JsonArray>();
        expect('[');
        skipSpace();
        if (consume("]")) {
            return array;
        }
        do {
            array->push_back(parseValue());
            skipSpace();
        } while (consume(","));
        expect(']');
        return array;
    }

    unsigned hexDigits() {
        if (m_text.size() - m_pos < 4) {
            fail("bad \\u escape");
        }
        unsigned value = 0;
        const auto [end, ec] =
            std::from_chars(m_text.data() + m_pos, m_text.data() + m_pos + 4, value, 16);
        if (ec != std::errc() || end != m_text.data() + m_pos + 4) {
            fail("bad \\u escape");
        }
        m_pos += 4;
        return value;
    }

    std::string parseString() {
        if (m_pos >= m_text.size() || m_text[m_pos] != '"') {
            fail("expected a string");
        }
        ++m_pos;
        std::string out;
        while (true) {
            if (m_pos >= m_text.size()) {
                fail("unterminated string");
            }
            const char c = m_text[m_pos++];
            if (c == '"') {
                break;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                fail("raw control character in a string");
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_pos >= m_text.size()) {
                fail("unterminated escape");
            }
            const char e = m_text[m_pos++];
            if (e == 'u') {
                appendUtf8(out, hexDigits());
                continue;
            }
            // The escapes JSON defines besides \uXXXX, and the characters they stand for.
            constexpr std::string_view escapes = "\"\\/bfnrt";
            constexpr std::string_view meanings = "\"\\/\b\f\n\r\t";
            const std::size_t which = escapes.find(e);
            if (which == std::string_view::npos) {
                fail("unknown escape");
            }
            out += meanings[which];
        }
        if (!isValidUtf8(out)) {
            fail("string is not valid UTF-8");
        }
        return out;
    }

    double parseNumber() {
        double value = 0;
        const auto [end, ec] =
            std::from_chars(m_text.data() + m_pos, m_text.data() + m_text.size(), value);
        if (ec != std::errc()) {
            fail("expected a value");
        }
        m_pos = static_cast<std::size_t>(end - m_text.data());
        return value;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

} // namespace

JsonValue parseJson(std::string_view text) {
    return JsonParser(text).parseDocument();
}

} // namespace pw::test
