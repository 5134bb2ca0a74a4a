// SPDX-License-Identifier: GPL-3.0-or-later
// A scratch folder and a way to run programs in it with their streams captured.
#pragma once

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace lumiro::testing {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (in)
        text << in.rdbuf();
    return text.str();
}

// The lines of a text, without their line feeds.
inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class Scratch : public ::testing::Test {
protected:
    fs::path dir;
    // Set in the environment of the programs Start runs, as NAME=value.
    std::vector<std::string> environment;

    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "lumiro-coe-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }

    // Runs a program with its streams in files; `fileLimit` caps what it may
    // write, and `user`, when set, is who it runs as (for root's own runs).
    Outcome Start(std::vector<std::string> argv, const std::string& stdoutPath = {},
                  rlim_t fileLimit = RLIM_INFINITY, std::optional<uid_t> user = {})
    {
        const fs::path out = stdoutPath.empty() ? dir / "stdout" : fs::path(stdoutPath);
        const fs::path err = dir / "stderr";
        std::fflush(stdout);  // or the child's freopen would print the test log again
        const pid_t child = ::fork();
        if (child == 0) {
            std::FILE* o = std::freopen(out.c_str(), "w", stdout);
            std::FILE* e = std::freopen(err.c_str(), "w", stderr);
            if (o == nullptr || e == nullptr)
                ::_exit(127);
            if (fileLimit != RLIM_INFINITY) {
                std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG
                const rlimit limit{fileLimit, fileLimit};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            for (std::string& setting : environment)
                ::putenv(setting.data());
            if (user && (::setgid(*user) != 0 || ::setuid(*user) != 0))
                ::_exit(126);
            std::vector<char*> args;
            for (std::string& arg : argv)
                args.push_back(arg.data());
            args.push_back(nullptr);
            ::execvp(args[0], args.data());
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        Outcome run;
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = stdoutPath == "/dev/full" ? "" : Slurp(out);
        run.err = Slurp(err);
        return run;
    }

    Outcome Coe(std::vector<std::string> arguments, const std::string& stdoutPath = {},
                rlim_t fileLimit = RLIM_INFINITY, std::optional<uid_t> user = {})
    {
        arguments.insert(arguments.begin(), LUMIRO_COE);
        return Start(std::move(arguments), stdoutPath, fileLimit, user);
    }

    // Start, in the scratch folder: GHDL keeps its work library where it runs,
    // and testbenches read their files by name.
    Outcome RunIn(std::vector<std::string> argv)
    {
        const fs::path previous = fs::current_path();
        fs::current_path(dir);
        Outcome run = Start(std::move(argv));
        fs::current_path(previous);
        return run;
    }

#ifdef GHDL
    // VHDL-93 files analysed, `top` elaborated and run by GHDL: the run, or
    // the step that failed.
    Outcome Ghdl(const std::vector<std::string>& files, const std::string& top)
    {
        for (const std::string& file : files)
            if (Outcome step = RunIn({GHDL, "-a", "--std=93", file}); step.status != 0)
                return step;
        if (Outcome step = RunIn({GHDL, "-e", "--std=93", top}); step.status != 0)
            return step;
        return RunIn({GHDL, "-r", "--std=93", top});
    }
#endif

    // A copy of lumiro-coe with its catalogs beside it, in the scratch folder,
    // for runs as another user, who may not reach the build folder.
    fs::path CopyOfProgram()
    {
        fs::create_directories(dir / "bin");
        const fs::path program = dir / "bin" / "lumiro-coe";
        fs::copy_file(LUMIRO_COE, program);
        fs::create_directories(dir / "share");
        fs::copy(LUMIRO_LOCALE_DIR, dir / "share" / "locale", fs::copy_options::recursive);
        for (const fs::path& folder : {dir, dir / "bin", dir / "share"})
            fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                        fs::perms::others_read | fs::perms::others_exec);
        return program;
    }

    // What the folder holds besides the runs' own stdout and stderr.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.path().filename() != "stdout" && entry.path().filename() != "stderr" &&
                entry.path().filename() != "bin" && entry.path().filename() != "share")
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

}  // namespace lumiro::testing
