// How a handle from kernel32's CreateFileW reaches the keyboard model. Each collection's device
// interface path names an empty file in a folder of this process under the temporary folder,
// and the file's name is the interface's name ("hid#vid_..&pid_..&mi_01#7&..&0&0000#{...}").
// CreateFileW opens it like any file; hid.dll asks the system which file a handle is open on and
// reads the collection back from its name. No call needs hooking and no table of handles is
// kept, so a handle the program closed, duplicated or reused is judged by what it is now.
#pragma once

#include <windows.h>

#include <string>

#include "model/keyboard_model.h"

namespace hidsim {

// The path CreateFileW opens for the collection (its file made when missing). A collection that
// another program holds can be looked at but not opened for reading or writing.
std::wstring InterfacePath(const sim::CollectionRef& c);
// The collection whose interface file `handle` is open on.
bool CollectionOf(HANDLE handle, sim::CollectionRef& c);
// Removes the folder of this process with its files (those still open stay behind).
void RemoveInterfaceFiles();

}  // namespace hidsim
