#pragma once

#include <string>
#include <utility>

// Whether a piece of work on files was done and, when it was not, why: the reader's words, a
// system error's text or a reason from resources/FixedStrings.h. Every result that can fail
// carries one, alone or as the base of a result that also says what was done; on failure a
// file that was to be replaced is as it was.
struct Outcome {
    bool ok = true;
    std::string problem;  // empty when ok

    static Outcome Failed(std::string why) { return {false, std::move(why)}; }
    void Fail(std::string why)
    {
        ok = false;
        problem = std::move(why);
    }
    explicit operator bool() const { return ok; }
};

// A failed result of a type built on Outcome, saying why.
template <class Result>
Result FailedWith(std::string why)
{
    Result result;
    result.Fail(std::move(why));
    return result;
}
