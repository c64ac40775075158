#pragma once

#define IDM_MAIN 101
#define IDM_GO 40001
#define IDM_GO_BACK 40002
