#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Receives a text in pieces, in order. A piece is valid only during the call: whoever keeps
// bytes must copy them.
class TextSink {
public:
    virtual void Put(std::string_view bytes) = 0;

protected:
    ~TextSink() = default;
};

// ReplaceTag over a text that arrives in pieces: after Finish, what it has passed on is
// ReplaceTag of everything it was given, whatever the pieces were. It holds back at most the
// tag's size less one byte, those that may begin the tag, and passes the rest of each piece on
// as it is, without copying.
class TagReplacer final : public TextSink {
public:
    TagReplacer(std::string tag, std::string value, TextSink& next);

    void Put(std::string_view bytes) override;
    // Passes on the bytes held back; the text is then at its end.
    void Finish();
    bool Holding() const { return !m_held.empty(); }

private:
    // Replaces in `bytes`, with nothing held before them, and holds back their end that may
    // begin the tag.
    void Scan(std::string_view bytes);

    std::string m_tag;
    std::string m_value;
    TextSink& m_next;
    std::string m_held;
};

// Several tags replaced one after the other, as if ReplaceTag were applied to the whole text
// for each in turn: each replacer passes its text on to the next, the last to `out`.
class TagChain final : public TextSink {
public:
    TagChain(const std::vector<std::pair<std::string, std::string>>& tagsAndValues, TextSink& out);

    void Put(std::string_view bytes) override;
    void Finish();

private:
    std::vector<std::unique_ptr<TagReplacer>> m_replacers;  // the first one is given the text
    TextSink& m_out;
    std::string m_commonStart;  // the bytes every tag begins with; empty when there is none
    std::size_t m_longestTag = 0;
};
