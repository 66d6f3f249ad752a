#include "platform/KernelObject.h"
#include "platform/Utf.h"
#include "platform/WinError.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

TEST(Utf, RoundTripsEveryPlane)
{
    const std::wstring text = L"abc \u00e9\u4e2d\u6587 \U0001F600 end";
    EXPECT_EQ(platform::FromUtf8(platform::ToUtf8(text)), text);
    EXPECT_EQ(platform::ToUtf8(L"\u4e2d"), "\xe4\xb8\xad");
}

TEST(Utf, BytesThatAreNotUtf8SurviveTheRoundTripAndShowAsReplacement)
{
    // lone continuation, overlong "/", truncated 3-byte sequence, surrogate half: one stand-in
    // a byte, and decoding resynchronises after it
    EXPECT_EQ(platform::FromUtf8("a\x80z"), L"a\xdc80z");
    EXPECT_EQ(platform::FromUtf8("\xc0\xaf"), L"\xdcc0\xdcaf");
    EXPECT_EQ(platform::FromUtf8("x\xe4\xb8"), L"x\xdce4\xdcb8");
    EXPECT_EQ(platform::FromUtf8("\xed\xa0\x80"), L"\xdced\xdca0\xdc80");
    // a GBK name as old archives leave it ("图片" in GBK), between UTF-8 text
    const std::string name = "bad\xff\xfe \xcd\xbc\xc6\xac \xe4\xb8\xad.jpg";
    EXPECT_EQ(platform::ToUtf8(platform::FromUtf8(name)), name);
    EXPECT_EQ(platform::ToDisplayUtf8(platform::FromUtf8("bad\xff\xfename \xe4\xb8\xad.jpg")),
              "bad\xef\xbf\xbd\xef\xbf\xbdname \xe4\xb8\xad.jpg");
    EXPECT_FALSE(platform::IsValidUtf8("\xed\xa0\x80"));
    EXPECT_FALSE(platform::IsValidUtf8("\xf4\x90\x80\x80")); // past U+10FFFF
    EXPECT_TRUE(platform::IsValidUtf8("\xf4\x8f\xbf\xbf"));
    // any other wide value UTF-8 cannot carry is written as U+FFFD rather than as invalid bytes
    EXPECT_EQ(platform::ToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xef\xbf\xbd");
    EXPECT_EQ(platform::ToUtf8(std::wstring(1, static_cast<wchar_t>(0xDC7F))), "\xef\xbf\xbd");
    EXPECT_EQ(platform::ToDisplayUtf8(std::wstring(1, static_cast<wchar_t>(0x110000))), "\xef\xbf\xbd");
}

TEST(LastError, IsPerThreadAndMapsErrno)
{
    SetLastError(ERROR_ACCESS_DENIED);
    std::thread([] {
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
        SetLastError(ERROR_FILE_NOT_FOUND);
    }).join();
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(platform::ErrorFromErrno(ENOENT), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(platform::ErrorFromErrno(ENOSPC), ERROR_DISK_FULL);
}

namespace
{
class Probe : public platform::KernelObject
{
public:
    explicit Probe(bool* destroyed) : m_destroyed(destroyed) {}
    ~Probe() override { *m_destroyed = true; }
    DWORD Wait(DWORD) override { return WAIT_OBJECT_0; }

private:
    bool* m_destroyed;
};
} // namespace

TEST(Handles, ClosedAndForgedHandlesAreRefused)
{
    bool destroyed = false;
    HANDLE h = platform::RegisterHandle(new Probe(&destroyed));
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0);

    // a reference taken before the close keeps the object alive until it is released
    platform::KernelObject* held = platform::ReferenceHandle(h);
    ASSERT_NE(held, nullptr);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(destroyed);
    held->Release();
    EXPECT_TRUE(destroyed);

    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    int notAHandle = 0;
    EXPECT_EQ(WaitForSingleObject(&notAHandle, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForSingleObject(INVALID_HANDLE_VALUE, 0), WAIT_FAILED);
    EXPECT_FALSE(CloseHandle(nullptr));
}
