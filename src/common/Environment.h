#pragma once
namespace jadl {
// Before every print preview the program sets TMP to the current directory.
void applyTmpSetting();
} // namespace jadl
