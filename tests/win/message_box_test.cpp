// MessageBoxR8J shows a real box: watched from a CBT hook, which checks it
// and presses a button.
#include "host.hpp"

#include <cstdlib>

namespace {

struct Seen {
    bool shown = false;
    std::string caption;
    std::string text;
    HWND owner = nullptr;
};
Seen seen;
HHOOK hook;

BOOL CALLBACK find_text(HWND child, LPARAM) {
    char class_name[32] = {};
    GetClassNameA(child, class_name, sizeof class_name);
    char text[256] = {};
    GetWindowTextA(child, text, sizeof text);
    if (_stricmp(class_name, "Static") == 0 && text[0])
        seen.text = text;
    return TRUE;
}

LRESULT CALLBACK watch(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_ACTIVATE && !seen.shown) {
        auto box = reinterpret_cast<HWND>(wparam);
        seen.shown = true;
        char caption[256] = {};
        GetWindowTextA(box, caption, sizeof caption);
        seen.caption = caption;
        seen.owner = GetWindow(box, GW_OWNER);
        EnumChildWindows(box, find_text, 0);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDNO)));
    }
    return CallNextHookEx(hook, code, wparam, lparam);
}

TEST(MessageBoxDisplay, ShowsTextAndCaptionOwnedByTheHostWindowAndDeliversTheButton) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "the message box test needs a display (run under xvfb-run)";
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    hook = SetWindowsHookExA(WH_CBT, watch, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);

    test::Host host;
    host.window = owner;
    host.call(4);
    host.call(31, {test::text("The caption"), test::text("The message"), test::integer(MB_YESNO)});
    UnhookWindowsHookEx(hook);
    DestroyWindow(owner);

    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.caption, "The caption");
    EXPECT_EQ(seen.text, "The message");
    EXPECT_EQ(seen.owner, owner);
    const test::Delivery &d = host.only();
    EXPECT_EQ(d.status, 0);
    EXPECT_EQ(d.type, static_cast<uint32_t>(WIL_TYPE_INTEGER));
    EXPECT_EQ(d.integer, IDNO);
    EXPECT_EQ(host.last_error(), test::recorded_before) << "the message box leaves the recorded last error alone";
}

TEST(MessageBoxNoDisplay, DeliversAnIntegerWithoutHanging) {
    ASSERT_EQ(std::getenv("DISPLAY"), nullptr) << "this test runs without a display";
    test::Host host;
    host.call(31, {test::text("caption"), test::text("text"), test::integer(MB_OK)});
    const test::Delivery &d = host.only();
    EXPECT_EQ(d.status, 0);
    EXPECT_EQ(d.type, static_cast<uint32_t>(WIL_TYPE_INTEGER));
    EXPECT_EQ(d.integer, MessageBoxA(nullptr, "text", "caption", MB_OK)) << "the platform's own answer";
}

} // namespace
