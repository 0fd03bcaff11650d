#include "registration/registration_templates.h"

/* Class entries: type name, verbs and insertable marks, kept when they already hold text. */
static const char kClassName[] = "%2\0\0%5";
static const char kClassInsertable[] = "%2\\Insertable\0\0";
static const char kClassEditVerb[] = "%2\\protocol\\StdFileEditing\\verb\\0\0\0&Edit";
static const char kClsidName[] = "CLSID\\%1\0\0%5";
static const char kClsidVerbEdit[] = "CLSID\\%1\\Verb\\0\0\0&Edit,0,2";
static const char kClsidVerbOpen[] = "CLSID\\%1\\Verb\\1\0\0&Open,0,2";
static const char kClsidInsertable[] = "CLSID\\%1\\Insertable\0\0";
static const char kClsidMiscStatus[] = "CLSID\\%1\\MiscStatus\0\0" "0";

/* Server entries: everything that names the installed server, rewritten on every install.
   Every command stands the server's path in quotes: a short form is not always to be had,
   and an unquoted path with a blank in it would start whatever program stands at the
   blank. */
static const char kClassClsid[] = "%2\\CLSID\0\0%1";
static const char kClassServer[] = "%2\\protocol\\StdFileEditing\\server\0\0%3";
static const char kClsidProgId[] = "CLSID\\%1\\ProgID\0\0%2";
static const char kClsidHandler[] = "CLSID\\%1\\InprocHandler32\0\0ole32.dll";
static const char kClsidLocalServer[] = "CLSID\\%1\\LocalServer32\0\0\"%3\"";
static const char kClsidShortType[] = "CLSID\\%1\\AuxUserType\\2\0\0%4";
static const char kClsidAppName[] = "CLSID\\%1\\AuxUserType\\3\0\0%6";
static const char kClsidIcon[] = "CLSID\\%1\\DefaultIcon\0\0%3,1";
static const char kOpenCommand[] = "%2\\shell\\open\\command\0\0\"%3\" \"%%1\"";
static const char kPrintCommand[] = "%2\\shell\\print\\command\0\0\"%3\" /p \"%%1\"";
static const char kPrintToCommand[] = "%2\\shell\\printto\\command\0\0\"%3\" /pt \"%%1\" \"%%2\" \"%%3\" \"%%4\"";

/* The ".rtf" extension and the "rtffile" type, written only where they are missing. */
static const char kExtensionType[] = "%7\0\0%2";
static const char kExtensionShellNew[] = "%7\\ShellNew\0Data\0{\\rtf1}";
static const char kTypeIcon[] = "%2\\DefaultIcon\0\0%3,%8";

RegistrationTemplateList kClassEntryList = {
    kClassName, kClassInsertable, kClassEditVerb, kClsidName, kClsidVerbEdit,
    kClsidVerbOpen, kClsidInsertable, kClsidMiscStatus, nullptr,
};

RegistrationTemplateList kServerEntryList = {
    kClassClsid, kClassServer, kClsidProgId, kClsidHandler, kClsidLocalServer, kClsidShortType,
    kClsidAppName, kClsidIcon, kOpenCommand, kPrintCommand, kPrintToCommand, nullptr,
};

RegistrationTemplateList kRtfExtensionList = {kExtensionType, kExtensionShellNew, nullptr};

RegistrationTemplateList kRtfTypeList = {
    kClassName, kClassClsid, kOpenCommand, kPrintCommand, kPrintToCommand, kTypeIcon, nullptr,
};
