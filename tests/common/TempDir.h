// A fresh folder under the system's temporary folder, removed afterwards.
#pragma once

#include "od/OdString.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

class TempDir
{
public:
  TempDir()
  {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    m_path = std::filesystem::temp_directory_path() /
             ("me_test_" + std::to_string(stamp) + "_" + std::to_string(counter++));
    std::filesystem::create_directories(m_path);
  }
  ~TempDir()
  {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return m_path; }
  std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

  // With the platform's own separators, as the host writes paths.
  static OdString toOd(std::filesystem::path p)
  {
    p.make_preferred();
#ifdef _WIN32
    return OdString(p.wstring());
#else
    return OdString(p.string().c_str());
#endif
  }
  OdString od(const std::string& name) const { return toOd(m_path / name); }

  static void write(const std::filesystem::path& p, const std::string& bytes)
  {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
  }
  static std::string read(const std::filesystem::path& p)
  {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

private:
  std::filesystem::path m_path;
};
