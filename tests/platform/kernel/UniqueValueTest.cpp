// The owners of descriptors and handles: each value is closed exactly once, by its last owner.
#include "platform/Kernel.h"
#include "platform/UniqueFd.h"
#include "platform/UniqueHandle.h"
#include "platform/WinError.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace
{
bool IsOpen(int fd)
{
    return ::fcntl(fd, F_GETFD) != -1;
}

bool IsLive(HANDLE handle)
{
    return WaitForSingleObject(handle, 0) != WAIT_FAILED;
}

TEST(UniqueValueTest, DescriptorIsClosedOnceByItsLastOwner)
{
    int ends[2];
    ASSERT_EQ(0, ::pipe2(ends, O_CLOEXEC));
    const int readEnd = ends[0];
    const int writeEnd = ends[1];
    {
        platform::UniqueFd reader(readEnd);
        platform::UniqueFd moved(std::move(reader));
        EXPECT_FALSE(reader);
        EXPECT_EQ(-1, reader.get());
        EXPECT_TRUE(IsOpen(readEnd)); // a move closes nothing

        platform::UniqueFd writer(writeEnd);
        moved = std::move(writer); // the target's own descriptor goes
        EXPECT_FALSE(IsOpen(readEnd));
        EXPECT_EQ(writeEnd, moved.get());

        const int given = moved.release();
        EXPECT_EQ(writeEnd, given);
        EXPECT_FALSE(moved);
    }
    // Released: still open after its last holder went, and ours to close.
    EXPECT_TRUE(IsOpen(writeEnd));
    platform::UniqueFd again(writeEnd);
    EXPECT_TRUE(again.Close());
    EXPECT_FALSE(IsOpen(writeEnd));
    EXPECT_TRUE(again.Close()); // nothing held: nothing to fail

    // A close that fails says so: the descriptor was closed behind the holder's back.
    ASSERT_EQ(0, ::pipe2(ends, O_CLOEXEC));
    ::close(ends[1]);
    platform::UniqueFd stale(ends[1]);
    EXPECT_FALSE(stale.Close());
    EXPECT_EQ(EBADF, errno);
    platform::UniqueFd last(ends[0]);
    last.reset();
    EXPECT_FALSE(IsOpen(ends[0]));
}

TEST(UniqueValueTest, HandleIsClosedOnceAndBothFailureValuesAreEmpty)
{
    EXPECT_FALSE(platform::UniqueHandle());
    EXPECT_FALSE(platform::UniqueHandle(INVALID_HANDLE_VALUE));

    const HANDLE first = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const HANDLE second = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    HANDLE kept = nullptr;
    {
        platform::UniqueHandle holder(first);
        platform::UniqueHandle other(std::move(holder));
        EXPECT_FALSE(holder);
        EXPECT_TRUE(IsLive(first));

        other.reset(second);
        EXPECT_FALSE(IsLive(first));
        EXPECT_TRUE(IsLive(second));
        kept = other.release();
    }
    ASSERT_EQ(second, kept);
    EXPECT_TRUE(IsLive(second));
    platform::UniqueHandle last(second);
    EXPECT_TRUE(last.Close());
    EXPECT_FALSE(IsLive(second));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}
} // namespace
