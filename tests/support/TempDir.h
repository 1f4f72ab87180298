#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes.

#include <filesystem>
#include <string>

namespace korvane::testing {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::string file(const std::string& name) const { return (m_path / name).string(); }

    // Writes `content` byte for byte to `name` in the folder and returns its path.
    std::string write(const std::string& name, const std::string& content) const;

  private:
    std::filesystem::path m_path;
};

// The whole content of a file, byte for byte ("" if it cannot be read).
std::string ReadWholeFile(const std::string& path);

}  // namespace korvane::testing
