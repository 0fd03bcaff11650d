/* Folder names whose last Big5 character ends in the byte of a backslash (功 A5 5C,
   許 B3 5C), compiled for code page 950. */
extern const char kBig5Folder[];
extern const char kBig5NestedFolder[];
const char kBig5Folder[] = "C:\\Tovra功";
const char kBig5NestedFolder[] = "C:\\拓沃許\\編輯器功";
