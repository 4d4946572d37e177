#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "game/presentation/star_field.hpp"
#include "runtime/support/files.hpp"
#include "tests/runtime/support/temp_folder.hpp"
#include "tools/headless/runner.hpp"

// Every score test runs in a fresh game folder of its own with an empty data folder, on
// the headless display.
class ScoreFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        tools::headless::StartHeadlessRuntime();
        static const bool stars = (game::presentation::createStarField(), true);
        (void)stars;
        home_ = std::filesystem::current_path();
        std::filesystem::create_directory(folder.path() / "data");
        std::filesystem::current_path(folder.path());
    }
    void TearDown() override {
        runtime::support::CloseAllFiles();
        std::filesystem::current_path(home_);
    }

    static void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(name, std::ios::binary) << bytes;
    }
    static std::string Read(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    TempFolder folder;

  private:
    std::filesystem::path home_;
};
