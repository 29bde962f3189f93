// Saving and loading the function-key strings (both banks) as ".tfk" files, with the
// questions and messages of the function-key page. UI thread only; the caller owns
// the strings.
#pragma once
#include <windows.h>

#include "terminal/function_keys.h"

// 1 written, 0 not: an empty path, No to the overwrite question, a file that cannot
// be created, or a write that failed. quiet 1 asks and shows nothing ("default.tfk").
int save_function_keys(const char* path, HWND owner, const FunctionKeyStrings* strings, int quiet);
// 1 when the file could be opened (all the strings are then replaced), 0 otherwise
// (the strings are left as they are). Shows nothing.
int load_function_keys(const char* path, FunctionKeyStrings* strings);

// The caption of the function-key files' messages: "ﾌｧﾝｸｼｮﾝ･ｷｰ設定の保存" and
// "ﾌｧﾝｸｼｮﾝ･ｷｰ設定の読込み", also the titles of their file dialogs.
extern const char FUNCTION_KEY_SAVE_CAPTION[];
extern const char FUNCTION_KEY_LOAD_CAPTION[];
// "\"%s\"が開けません" with the caption, MB_ICONQUESTION.
void function_key_file_failed(HWND owner, const char* path, const char* caption);
