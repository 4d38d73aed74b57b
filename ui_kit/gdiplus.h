// GDI+ through its C++ wrappers; every kit header that names GDI+ types includes this.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
