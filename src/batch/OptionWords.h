#pragma once
// How korvane-batch reads the words of its options: "--name value" or "--name=value".

#include <cstddef>
#include <string>
#include <vector>

namespace korvane::batch {

// True when `word` is the option `name`, alone or with "=value".
inline bool Names(const std::string& word, const std::string& name) {
    return word == name || word.compare(0, name.size() + 1, name + "=") == 0;
}

// The value of an option: "--name=value", or the next word (then `i` moves onto it). False
// when there is none.
inline bool TakeValue(const std::vector<std::string>& arguments, std::size_t& i,
                      const std::string& name, std::string& value) {
    const std::string& word = arguments[i];
    if (word.size() > name.size() && word.compare(0, name.size() + 1, name + "=") == 0) {
        value = word.substr(name.size() + 1);
        return true;
    }
    if (i + 1 >= arguments.size()) {
        return false;
    }
    value = arguments[++i];
    return true;
}

}  // namespace korvane::batch
