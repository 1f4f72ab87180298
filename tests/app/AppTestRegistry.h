#pragma once
// Each test file registers its QTest class here; the test program runs the one named on its
// command line, or all of them.

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace korvane::testing {

using AppTestFactory = std::function<std::unique_ptr<QObject>()>;

inline std::vector<AppTestFactory>& AppTests() {
    static std::vector<AppTestFactory> tests;
    return tests;
}

template <typename Test>
bool RegisterAppTest() {
    AppTests().push_back([] { return std::make_unique<Test>(); });
    return true;
}

}  // namespace korvane::testing
