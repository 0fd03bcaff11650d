#include "registration/registration.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "foundation/counted_string.h"
#include "foundation/path_text.h"
#include "registration/registration_templates.h"
#include "registration/short_path.h"
#include "wizard/made_items.h"
#include "wizard/wizard_state.h"

enum { kExpansionUnits = 256 };

/* Expands a template with the registration arguments through the system's message
   formatter: %n inserts text n, %% gives a per-cent sign. An expansion that fails or
   would not fit 256 characters gives an empty text. */
static void ExpandTemplate(CountedString *expanded, const char *pattern, const RegistrationArguments &arguments)
{
    DWORD_PTR inserts[kRegistrationArgumentCount];
    for (int i = 0; i < kRegistrationArgumentCount; ++i)
        inserts[i] = reinterpret_cast<DWORD_PTR>(arguments.text[i] ? arguments.text[i] : "");
    ClearString(expanded);
    char *buffer = GetBuffer(expanded, kExpansionUnits);
    if (!buffer)
        return;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, pattern, 0, 0,
                                  buffer, kExpansionUnits, reinterpret_cast<va_list *>(inserts));
    ReleaseBuffer(expanded, length < kExpansionUnits ? int(length) : 0);
}

/* The default or named value of an open key holds some text. */
static int ValueHoldsText(HKEY key, const char *name)
{
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return 0;
    CountedString value;
    char *buffer = GetBuffer(&value, int(size) + 1);
    if (!buffer)
        return 0;
    buffer[0] = '\0';
    buffer[size] = '\0';
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(buffer), &size) != ERROR_SUCCESS)
        buffer[0] = '\0';
    ReleaseBuffer(&value, -1);
    return StringLength(&value) > 0;
}

/* The key an uninstaller removes for a written key path: a class "CLSID\{...}" whole, else
   the path's first key. */
static void TopKeyOf(const char *path, char *top, int capacity)
{
    const char *end = strchr(path, '\\');
    if (end && _strnicmp(path, "CLSID\\", 6) == 0)
        end = strchr(end + 1, '\\');
    int length = end ? int(end - path) : int(strlen(path));
    snprintf(top, size_t(capacity), "%.*s", length, path);
}

/* What the install writes under HKEY_CLASSES_ROOT goes into its record. */
static void NoteClassesKey(const char *path)
{
    char top[kPathBytes];
    TopKeyOf(path, top, kPathBytes);
    NoteRegistryKey("HKCR", top);
}

/* Writes one template; 1, or 0 when its key or value could not be written. */
static int ApplyTemplate(const char *entry, const RegistrationArguments &arguments, int replace)
{
    const char *keyPattern = entry;
    const char *valueName = keyPattern + strlen(keyPattern) + 1;
    const char *valuePattern = valueName + strlen(valueName) + 1;
    if (!keyPattern[0])
        return 1;
    CountedString keyPath, value;
    ExpandTemplate(&keyPath, keyPattern, arguments);
    ExpandTemplate(&value, valuePattern, arguments);
    if (StringLength(&keyPath) == 0)
        return 1;

    HKEY key;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, keyPath.text, 0, nullptr, 0, KEY_READ | KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return 0;
    NoteClassesKey(keyPath.text);
    int ok = 1;
    if (replace || !ValueHoldsText(key, valueName))
        ok = RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.text),
                            DWORD(StringLength(&value) + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

int ApplyTemplateList(const char *const *list, const RegistrationArguments &arguments, int replace)
{
    HKEY classes;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, nullptr, 0, KEY_READ | KEY_SET_VALUE, nullptr, &classes,
                        nullptr) != ERROR_SUCCESS)
        return 0;
    int ok = 1;
    for (const char *const *entry = list; *entry && ok; ++entry)
        ok = ApplyTemplate(*entry, arguments, replace);
    RegCloseKey(classes);
    return ok;
}

/* The server's path for the commands: its short (8.3) form where the system gives one,
   else the long path, which the commands quote like any other. */
static void ServerPath(char *path, const char *fileName)
{
    char longPath[kPathBytes];
    path[0] = '\0';
    if (!JoinPath(longPath, gInstallFolder, fileName))
        return;
    if (!ShortPathOf(longPath, path))
        strcpy(path, longPath);
}

static int KeyExists(const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY, &key) !=
        ERROR_SUCCESS)
        return 0;
    RegCloseKey(key);
    return 1;
}

/* The text of a key's default value; empty when there is none. */
static void DefaultText(const char *path, char *text, LONG capacity)
{
    text[0] = '\0';
    if (RegQueryValueA(HKEY_CLASSES_ROOT, path, text, &capacity) != ERROR_SUCCESS)
        text[0] = '\0';
}

/* ".rtf" names the editor's type from now on; the record keeps what it named before, so
   that an uninstall gives it back. */
static void SetRtfType(const char *typeName)
{
    char old[kPathBytes];
    int existed = KeyExists(".rtf");
    DefaultText(".rtf", old, kPathBytes);
    if (RegSetValueA(HKEY_CLASSES_ROOT, ".rtf", REG_SZ, typeName, 0) != ERROR_SUCCESS)
        return;
    if (!existed)
        NoteClassesKey(".rtf");
    NoteRegistryValue("HKCR", ".rtf", "", typeName, old);
}

/* The editor's own file type. The open command quotes the path and the document: an
   unquoted path with a blank in it would start whatever program stands at the blank. */
static void RegisterEditorFileType()
{
    const char *typeName = "TVREditor.Document";
    char editor[kPathBytes];
    if (!JoinPath(editor, gInstallFolder, "tvredit.exe"))
        return;
    if (RegSetValueA(HKEY_CLASSES_ROOT, typeName, REG_SZ, "Tovra Editor Document", 0) != ERROR_SUCCESS)
        return;
    NoteClassesKey(typeName);
    CountedString command = MakeString("\"");
    AppendText(&command, editor);
    AppendText(&command, "\" \"%1\"");
    if (RegSetValueA(HKEY_CLASSES_ROOT, "TVREditor.Document\\shell\\open\\command", REG_SZ, command.text, 0) !=
        ERROR_SUCCESS)
        return;
    SetRtfType(typeName);
}

static void RegisterDocumentClass(const RegistrationArguments &arguments)
{
    if (ApplyTemplateList(kClassEntryList, arguments, 0))
        ApplyTemplateList(kServerEntryList, arguments, 1);
}

/* ".rtf" and "rtffile" are written only where the system has none of its own. */
static void RegisterRtfEntries(const RegistrationArguments &editor)
{
    RegistrationArguments rtf = editor;
    rtf.text[1] = "rtffile";
    rtf.text[4] = "Rich Text Document";
    rtf.text[6] = ".rtf";
    rtf.text[7] = "1";
    if (!KeyExists(".rtf"))
        ApplyTemplateList(kRtfExtensionList, rtf, 1);
    if (!KeyExists("rtffile"))
        ApplyTemplateList(kRtfTypeList, rtf, 1);
}

void RegisterDocumentTypes()
{
    char editorServer[kPathBytes], devudServer[kPathBytes];
    ServerPath(editorServer, "tvredit.exe");
    ServerPath(devudServer, "DeVud.exe");
    const RegistrationArguments editor = {{"{3C7A1E52-6B0D-4F8E-9A21-7D5E0C4B9F13}", "TVREdit.Document",
                                           editorServer, "TVREdit Document", "TVREdit Document", "TVREdit",
                                           nullptr, nullptr}};
    const RegistrationArguments devud = {{"{8E2D4B07-51C3-4A6F-B9E8-2F0C6D1A7B45}", "DeVud.Document.1",
                                          devudServer, "DeVud Document", "DeVud Document", "DeVud", nullptr,
                                          nullptr}};
    RegisterEditorFileType();
    RegisterDocumentClass(editor);
    RegisterRtfEntries(editor);
    RegisterDocumentClass(devud);
}
