#pragma once
// A fresh temporary folder for one test, removed with everything in it afterwards.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

namespace kestrap {

class TempFolder {
public:
    TempFolder() {
        namespace fs = std::filesystem;
        static std::atomic<unsigned> made{0};
        std::random_device entropy;
        auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        std::error_code error;
        for (int attempt = 0; attempt < 100; ++attempt) {
            // random_device may be deterministic on some runtimes: mix in time and a counter
            auto name = "kestrap-test-" + std::to_string(entropy()) + "-" +
                        std::to_string(ticks % 1000000007) + "-" + std::to_string(made++);
            fs::path candidate = fs::temp_directory_path(error) / name;
            if (!error && fs::create_directory(candidate, error) && !error) {
                root_ = candidate;
                break;
            }
        }
        path_ = root_.empty() ? std::string() : (root_ / "").string();
    }
    ~TempFolder() {
        std::error_code error;
        if (!root_.empty()) std::filesystem::remove_all(root_, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // the folder with its trailing separator; empty when it could not be made
    const std::string& Path() const { return path_; }
    std::string File(std::string_view name) const { return path_ + std::string(name); }

    void Write(std::string_view name, std::string_view bytes) const {
        std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    // the file's bytes; empty when it is missing
    std::string Read(std::string_view name) const {
        std::ifstream in(File(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool Exists(std::string_view name) const {
        std::error_code error;
        return std::filesystem::exists(File(name), error);
    }

private:
    std::filesystem::path root_;
    std::string path_;
};

// A test fixture with its own temporary folder in `temp`.
class TempFolderTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(temp.Path().empty()) << "no temporary folder"; }
    TempFolder temp;
};

}  // namespace kestrap
