// The launcher core's modes; each returns the process exit code.
#pragma once

int run_detect_mode();
int run_profile_mode();
int run_upload_mode();
int run_race();
