// A fresh folder under the temporary path for each test, removed with
// everything in it afterwards, and whole-file reads and writes in it.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <string_view>

namespace test {

class TempFolder : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string path(std::string_view name) const;
    std::wstring wide_path(std::wstring_view name) const;
    bool exists(std::wstring_view name) const;
    std::string read(std::string_view name) const;
    void write(std::string_view name, std::string_view bytes) const;

private:
    std::wstring folder;
};

} // namespace test
