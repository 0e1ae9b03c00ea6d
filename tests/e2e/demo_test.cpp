// ./demo as a new user runs it, in a copy of the scripts with the build
// tools stood in for (no packages installed, nothing compiled): when it
// hands over to lcdemu, every program the README lists is in build/bin.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "run_program.h"

namespace {

const std::string source_dir = STARGLOW_SOURCE_DIR;

std::string read_text(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_script(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
    chmod(path.c_str(), 0755);
}

// The programs the README promises in build/bin: the headings "### `name
// ...`" of its section on them, but for those it says are built in a
// folder of their own (build-win/, build-web/).
std::vector<std::string> readme_programs() {
    const std::string readme = read_text(source_dir + "/README.md");
    std::vector<std::string> names;
    const size_t section = readme.find("## The programs");
    const size_t end = readme.find("\n## ", section + 1);
    for (size_t at = readme.find("### `", section); at < end;) {
        const size_t next = std::min(readme.find("\n### ", at + 1), end);
        const std::string text = readme.substr(at, next - at);
        const size_t from = 5;
        if (text.find("build-win/") == std::string::npos &&
            text.find("build-web/") == std::string::npos)
            names.push_back(text.substr(from, text.find_first_of(" `", from) - from));
        at = readme.find("### `", next);
    }
    return names;
}

// Stand-ins on the PATH: every package installed already, and a cmake that
// makes each target it is asked to build as a program that names itself.
const char* const fake_dpkg_query = "#!/bin/sh\necho 'install ok installed'\n";
const char* const fake_cmake = R"(#!/bin/sh
echo "cmake $*" >> "$DEMO_LOG"
[ "$1" = --build ] || exit 0
dir=$2
shift 2
mkdir -p "$dir/bin"
targets=no
for a in "$@"; do
  case $a in
    --target) targets=yes ;;
    -*) targets=no ;;
    *) if [ $targets = yes ]; then
         if [ "$a" = starglow_music ]; then : > "$dir/starglow.mp3"; else
           printf '#!/bin/sh\necho "%s $*"\n' "$a" > "$dir/bin/$a"; chmod +x "$dir/bin/$a"
         fi
       fi ;;
  esac
done
)";

TEST(Demo, BuildsEveryProgramTheReadmeListsThenPlaysTheShowThroughLcdemu) {
    const std::vector<std::string> programs = readme_programs();
    ASSERT_GE(programs.size(), 4u);
    EXPECT_NE(std::find(programs.begin(), programs.end(), "starglow-render"), programs.end());

    const std::string root = make_directory();
    ASSERT_FALSE(root.empty());
    std::filesystem::create_directories(root + "/scripts");
    std::filesystem::create_directories(root + "/tools");
    std::filesystem::copy_file(source_dir + "/demo", root + "/demo");
    std::filesystem::copy_file(source_dir + "/scripts/setup.sh", root + "/scripts/setup.sh");
    write_script(root + "/tools/dpkg-query", fake_dpkg_query);
    write_script(root + "/tools/cmake", fake_cmake);

    Child child =
        start_program({"/bin/bash", root + "/demo", "--palette", "green"},
                      {"PATH=" + root + "/tools:/usr/bin:/bin", "DEMO_LOG=" + root + "/log"}, root);
    EXPECT_EQ(finish_child(child, 30000), 0) << child.output << child.errors;
    for (const std::string& program : programs) {
        EXPECT_EQ(access((root + "/build/bin/" + program).c_str(), X_OK), 0)
            << program << " is not built\n"
            << read_text(root + "/log");
        EXPECT_NE(child.output.find(program), std::string::npos) << program << child.output;
    }
    // It says where the tests come from, and hands the show to lcdemu.
    EXPECT_NE(child.output.find("./check"), std::string::npos) << child.output;
    EXPECT_NE(child.output.find("lcdemu --palette green -- " + root + "/build/bin/starglow 1"),
              std::string::npos)
        << child.output;
    remove_directory(root);
}

}  // namespace
