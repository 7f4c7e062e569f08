// The window tests' entry: the common controls the program initialises, then the tests.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <objbase.h>

int wmain(int argc, wchar_t** argv) {
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_LINK_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
