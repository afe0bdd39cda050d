// The file layer on real files in a temporary folder, on every system it is
// built for: the same cases must hold on POSIX and on Windows.

#include "platform/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_folder.h"

#ifdef _WIN32
#include "platform/windows_api.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

std::vector<std::string> lines_of(const std::string& path, std::size_t keep) {
    platform::TextInput input;
    EXPECT_TRUE(input.open(path)) << path;
    std::vector<std::string> lines;
    std::string line = "untouched";
    while (input.read_line(line, keep)) lines.push_back(line);
    return lines;
}

std::vector<std::string> names_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(NativePath, TurnsEitherSeparatorIntoTheSystemsOwn) {
#ifdef _WIN32
    EXPECT_EQ(platform::native_path("C:\\stazione/web\\plotMUF1.gif"), "C:\\stazione\\web\\plotMUF1.gif");
#else
    EXPECT_EQ(platform::native_path("/srv\\stazione/web\\plotMUF1.gif"), "/srv/stazione/web/plotMUF1.gif");
#endif
}

TEST(TextInput, EndsLinesAtCrLfALoneCrOrALoneLf) {
    TempFolder folder;
    // The CR LF after 4095 bytes falls across two reads of 4096 bytes: still
    // one line end, not two.
    const std::string long_line(4095, 'x');
    const std::string file = folder.write("lines.txt", long_line + "\r\nb\r\nc\rd\ne\r\r\nlast").string();
    EXPECT_EQ(lines_of(file, 5000), (std::vector<std::string>{long_line, "b", "c", "d", "e", "", "last"}));
    // Only `keep` bytes of each line are kept; the rest is skipped, not
    // returned as further lines.
    EXPECT_EQ(lines_of(file, 2), (std::vector<std::string>{"xx", "b", "c", "d", "e", "", "la"}));
}

TEST(TextInput, AtTheEndFailsAndLeavesTheLineAsItWas) {
    TempFolder folder;
    for (const char* content : {"", "one\r\n"}) {
        platform::TextInput input;
        ASSERT_TRUE(input.open(folder.write("f.txt", content).string()));
        std::string line;
        if (*content) {
            ASSERT_TRUE(input.read_line(line, 100));
        }
        line = "before";
        EXPECT_FALSE(input.read_line(line, 100));
        EXPECT_FALSE(input.read_line(line, 100));
        EXPECT_EQ(line, "before");
    }
}

// Every one of these must fail the open at once: reading a folder, a pipe
// or a device could block an unattended run.
TEST(TextInput, OpensRegularFilesOnly) {
    TempFolder folder;
    folder.make_folder("sub");
    std::vector<std::string> refused = {(folder.path() / "missing.txt").string(), (folder.path() / "sub").string(),
                                        TempFolder::folder_of(folder.path() / "sub")};
#ifdef _WIN32
    // Device names, which Windows finds in every folder, and a named pipe
    // that has a server waiting for a client.
    for (const char* device : {"NUL", "nul.txt", "CON", "COM1", "com9.log", "LPT1", "AUX", "CONIN$", "PRN "})
        refused.push_back(TempFolder::folder_of(folder.path()) + device);
    refused.push_back("\\\\.\\NUL");
    const char* const pipe_name = "\\\\.\\pipe\\plotmuf-files-test";
    const HANDLE pipe = CreateNamedPipeA(pipe_name, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0,
                                         nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    refused.push_back(pipe_name);
#else
    const std::string fifo = (folder.path() / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);  // no writer: a blocking open would wait forever
    refused.push_back(fifo);
    refused.push_back("/dev/null");
    refused.push_back("/dev/zero");  // its reads never end
#endif
    for (const std::string& path : refused) {
        platform::TextInput input;
        EXPECT_FALSE(input.open(path)) << path;
        EXPECT_FALSE(input.is_open()) << path;
        std::vector<std::uint8_t> bytes;
        EXPECT_FALSE(platform::read_file(path, bytes, 100)) << path;
    }
#ifdef _WIN32
    CloseHandle(pipe);
#endif
}

#ifndef _WIN32
// A pipe whose writer has written a line reads as a file of that line; the
// bytes written after it are not read, so that a writer that never stops
// cannot keep a run reading.
TEST(TextInput, ReadsAPipeNoFurtherThanItsFirstBytes) {
    TempFolder folder;
    const std::string fifo = (folder.path() / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);  // a writer that needs no reader yet
    ASSERT_NE(writer, -1);
    ASSERT_EQ(::write(writer, "first\n", 6), 6);
    platform::TextInput input;
    ASSERT_TRUE(input.open(fifo));
    ASSERT_EQ(::write(writer, "second\n", 7), 7);
    std::string line;
    EXPECT_TRUE(input.read_line(line, 100));
    EXPECT_EQ(line, "first");
    EXPECT_FALSE(input.read_line(line, 100));
    EXPECT_EQ(line, "first");
    input.close();
    ::close(writer);
}
#endif

TEST(ReadFile, ReadsWholeFilesUpToTheLimit) {
    TempFolder folder;
    const std::string content("GIF89a\0\r\n\x1a\xff", 11);
    const std::string path = TempFolder::folder_of(folder.path()) + "bytes.bin";
    folder.write("bytes.bin", content);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(platform::read_file(path, bytes, content.size()));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), content);
    bytes = {1, 2, 3};
    EXPECT_FALSE(platform::read_file(path, bytes, content.size() - 1));
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(WriteFileAtomic, CreatesAndReplacesLeavingNothingElse) {
    TempFolder folder;
    const std::string path = TempFolder::folder_of(folder.path()) + "plotMUF1.gif";
    const std::vector<std::uint8_t> first = {'o', 'l', 'd', '\n'}, second = {'n', 'e', 'w', '\r', '\n', 0};
    ASSERT_TRUE(platform::write_file_atomic(path, first));
    EXPECT_EQ(read_text(folder.path() / "plotMUF1.gif"), "old\n");
    ASSERT_TRUE(platform::write_file_atomic(path, second));
    EXPECT_EQ(read_text(folder.path() / "plotMUF1.gif"), std::string("new\r\n\0", 6));
    EXPECT_EQ(names_in(folder.path()), std::vector<std::string>{"plotMUF1.gif"});
}

TEST(WriteFileAtomic, AFailedReplaceLeavesTheTargetAndNoTemporaryFile) {
    TempFolder folder;
    folder.make_folder("plotMUF1.gif");  // a folder where the file should go
    folder.write("plotMUF1.gif/keep.txt", "keep");
    const std::vector<std::uint8_t> bytes = {1, 2, 3};
    EXPECT_FALSE(platform::write_file_atomic(TempFolder::folder_of(folder.path()) + "plotMUF1.gif", bytes));
    EXPECT_EQ(read_text(folder.path() / "plotMUF1.gif" / "keep.txt"), "keep");
    EXPECT_EQ(names_in(folder.path()), std::vector<std::string>{"plotMUF1.gif"});
    // A missing folder: nothing can be created at all.
    EXPECT_FALSE(platform::write_file_atomic(TempFolder::folder_of(folder.path() / "missing") + "plotMUF1.gif", bytes));
    EXPECT_FALSE(fs::exists(folder.path() / "missing"));
}

TEST(DurableWrites, EachFileReplacesItsOldOneOrFailsAloneLeavingNothingElse) {
    TempFolder folder;
    folder.make_folder("archive");
    folder.write("archive/2024061.gif", "old");
    folder.make_folder("archive/2024062.gif");  // a folder where a file should go
    const std::string archive = TempFolder::folder_of(folder.path() / "archive");
    const std::vector<std::uint8_t> a = {'a'}, b = {'b', 0, 'b'}, c = {'c'};

    platform::DurableWrites writes;
    EXPECT_TRUE(writes.add(archive + "2024061.gif", a));
    EXPECT_TRUE(writes.add(archive + "2024062.gif", b));
    EXPECT_FALSE(writes.add(TempFolder::folder_of(folder.path() / "missing") + "2024063.gif", c));  // nowhere to write
    EXPECT_TRUE(writes.add(TempFolder::folder_of(folder.path()) + "2024064.gif", c));               // another folder
    EXPECT_EQ(writes.size(), 3u);
    const std::vector<Status> outcome = writes.finish();
    ASSERT_EQ(outcome.size(), 3u);
    EXPECT_TRUE(outcome[0]);
    EXPECT_FALSE(outcome[1]);
    EXPECT_NE(outcome[1].message().find("2024062.gif"), std::string::npos) << outcome[1].message();
    EXPECT_TRUE(outcome[2]);
    EXPECT_EQ(writes.size(), 0u);

    EXPECT_EQ(read_text(folder.path() / "archive" / "2024061.gif"), "a");
    EXPECT_EQ(read_text(folder.path() / "2024064.gif"), "c");
    EXPECT_EQ(names_in(folder.path() / "archive"), (std::vector<std::string>{"2024061.gif", "2024062.gif"}));
    EXPECT_EQ(names_in(folder.path()), (std::vector<std::string>{"2024064.gif", "archive"}));

    // Files added and never finished are dropped, the old ones left as they were.
    {
        platform::DurableWrites dropped;
        EXPECT_TRUE(dropped.add(archive + "2024061.gif", c));
    }
    EXPECT_EQ(read_text(folder.path() / "archive" / "2024061.gif"), "a");
    EXPECT_EQ(names_in(folder.path() / "archive"), (std::vector<std::string>{"2024061.gif", "2024062.gif"}));
    platform::DurableWrites one;
    EXPECT_TRUE(one.add(archive + "2024061.gif", b));
    EXPECT_TRUE(one.finish().front());
    EXPECT_EQ(read_text(folder.path() / "archive" / "2024061.gif"), std::string("b\0b", 3));
}

TEST(DurableWrites, AGroupFailsOnceAtItsFirstFailure) {
    TempFolder folder;
    for (const char* blocked : {"b2.gif", "b3.gif", "c1.gif"}) folder.make_folder(blocked);  // folders where files should go
    const std::string at = TempFolder::folder_of(folder.path());
    const std::vector<std::uint8_t> bytes = {'x'};
    platform::DurableWrites writes;
    writes.start_group();  // a: all written
    for (const char* name : {"a1.gif", "a2.gif"}) EXPECT_TRUE(writes.add(at + name, bytes));
    writes.start_group();  // b: its second and third files fail at the finish
    for (const char* name : {"b1.gif", "b2.gif", "b3.gif"}) EXPECT_TRUE(writes.add(at + name, bytes));
    writes.start_group();  // c: failed before the finish, and told then
    EXPECT_TRUE(writes.add(at + "c1.gif", bytes));
    writes.fail_group();
    writes.start_group();  // d: no file at all
    const auto outcome = writes.finish_groups();
    ASSERT_EQ(outcome.size(), 4u);
    EXPECT_FALSE(outcome[0].failed);
    EXPECT_TRUE(outcome[0].failed_at_finish);
    EXPECT_TRUE(outcome[1].failed);
    ASSERT_FALSE(outcome[1].failed_at_finish);
    EXPECT_NE(outcome[1].failed_at_finish.message().find("b2.gif"), std::string::npos)
        << outcome[1].failed_at_finish.message();
    EXPECT_TRUE(outcome[2].failed);
    EXPECT_TRUE(outcome[2].failed_at_finish);
    EXPECT_FALSE(outcome[3].failed);
    EXPECT_EQ(read_text(folder.path() / "b1.gif"), "x");
    // The groups end with the finish: the next starts afresh.
    writes.start_group();
    EXPECT_TRUE(writes.add(at + "a1.gif", bytes));
    EXPECT_EQ(writes.finish_groups().size(), 1u);
}

TEST(RemoveFile, DeletesAFileAndFailsWhenThereIsNone) {
    TempFolder folder;
    folder.write("grafico1.bmp", "BM");
    const std::string path = TempFolder::folder_of(folder.path()) + "grafico1.bmp";
    EXPECT_TRUE(platform::remove_file(path));
    EXPECT_FALSE(fs::exists(folder.path() / "grafico1.bmp"));
    EXPECT_FALSE(platform::remove_file(path));
}

TEST(CurrentFolder, IsTheFullPathAndADriveRootKeepsItsSeparator) {
    const fs::path before = fs::current_path();
    std::string folder;
    ASSERT_TRUE(platform::current_folder(folder));
    EXPECT_EQ(fs::path(folder), before);
    const fs::path root = before.root_path();  // "C:\" or "/"
    fs::current_path(root);
    const Status at_root = platform::current_folder(folder);
    fs::current_path(before);
    ASSERT_TRUE(at_root);
    EXPECT_EQ(folder, root.string());
}

}  // namespace
