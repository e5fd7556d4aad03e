#pragma once
// The end-to-end driver: prepares a program folder, starts the program from a
// chosen working directory, reads its windows from outside, acts as the user
// (keys, clicks, the close box, message boxes) and collects the exit code.

#include "tests/e2e/driver/app_folder.h"
#include "tests/e2e/driver/app_process.h"
#include "tests/e2e/driver/message_box.h"
#include "tests/e2e/driver/morvessa_session.h"
#include "tests/e2e/driver/screen_capture.h"
#include "tests/e2e/driver/user_input.h"
#include "tests/e2e/driver/wait.h"
#include "tests/e2e/driver/window_facts.h"
