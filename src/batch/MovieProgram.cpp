#include "MovieProgram.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "Commands.h"
#include "ExitStatus.h"

namespace korvane::batch {

namespace {

// Where the movie program is: beside this program, else where the installation keeps it.
std::string MovieProgramPath() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path beside = self.parent_path() / MovieProgramName;
        if (access(beside.c_str(), X_OK) == 0) {
            return beside.string();
        }
    }
    return KORVANE_MOVIE_PROGRAM;
}

}  // namespace

int ExecMovieProgram(const std::vector<std::string>& arguments) {
    const std::string program = MovieProgramPath();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    const int error = errno;
    std::fprintf(stderr, "korvane-batch: cannot start the movie program %s: %s\n", program.c_str(),
                 std::strerror(error));
    return ExitFailure;
}

}  // namespace korvane::batch
