// Checks of numeric command-line options that answer a bad value with what is accepted
// ("--frames: a whole number of at least 1"), whatever was typed.
#pragma once

#include <CLI/CLI.hpp>
#include <charconv>
#include <limits>
#include <string>
#include <utility>
#include <vector>

// A whole number from `least` to `most`, written in plain decimal digits.
inline CLI::Validator wholeNumber(long long least, long long most) {
    constexpr long long kLowest = std::numeric_limits<long long>::min();
    constexpr long long kHighest = std::numeric_limits<long long>::max();
    std::string accepted = "a whole number";
    if (least != kLowest && most != kHighest) {
        accepted += " from " + std::to_string(least) + " to " + std::to_string(most);
    } else if (least != kLowest) {
        accepted += " of at least " + std::to_string(least);
    } else if (most != kHighest) {
        accepted += " of at most " + std::to_string(most);
    }
    return CLI::Validator(
        [=](std::string& text) -> std::string {
            long long value = 0;
            const char* end = text.data() + text.size();
            const auto [stop, error] = std::from_chars(text.data(), end, value);
            const bool whole = error == std::errc{} && stop == end;
            return whole && value >= least && value <= most ? std::string() : accepted;
        },
        "", "whole number");
}

// A whole number that fits the option's variable of type T, at least `least`.
template <class T>
CLI::Validator wholeNumberOf(long long least = std::numeric_limits<T>::min()) {
    return wholeNumber(least, std::numeric_limits<T>::max());
}

// An option that takes one of a few words, in any letter case, into `target`; a bad one is
// answered with the words accepted ("--animation: table or exact").
template <class T>
CLI::Option* addWordOption(CLI::App& app, const std::string& name, T& target,
                           const std::vector<std::pair<std::string, T>>& words,
                           const std::string& description) {
    std::string accepted;
    for (std::size_t i = 0; i < words.size(); ++i) {
        accepted += (i == 0 ? "" : i + 1 == words.size() ? " or " : ", ") + words[i].first;
    }
    const auto valueOf = [words](const std::string& text, T& value) {
        for (const auto& [word, meaning] : words) {
            if (CLI::detail::to_lower(text) == word) {
                value = meaning;
                return true;
            }
        }
        return false;
    };
    return app
        .add_option_function<std::string>(
            name, [&target, valueOf](const std::string& text) { valueOf(text, target); },
            description)
        ->check(CLI::Validator(
            [valueOf, accepted](std::string& text) -> std::string {
                T ignored{};
                return valueOf(text, ignored) ? std::string() : accepted;
            },
            "", "word"));
}
