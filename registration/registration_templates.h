/* Registration templates: a key template, a value name taken literally (empty for the
   key's default value) and a value template, stored one after the other, each ended by
   its NUL. %1 to %8 stand for the registration arguments; %% for a per-cent sign. */
#ifndef TOVRA_REGISTRATION_TEMPLATES_H
#define TOVRA_REGISTRATION_TEMPLATES_H

/* A template list is an array of templates ended by a null reference. */
typedef const char *const RegistrationTemplateList[];

extern RegistrationTemplateList kClassEntryList;
extern RegistrationTemplateList kServerEntryList;
extern RegistrationTemplateList kRtfExtensionList;
extern RegistrationTemplateList kRtfTypeList;

enum { kRegistrationArgumentCount = 8 };

/* Text n of the array stands for %n+1; a text no template of the list refers to may be
   null. */
struct RegistrationArguments {
    const char *text[kRegistrationArgumentCount];
};

/* Writes one list under HKEY_CLASSES_ROOT. Without the replace flag, values that already
   hold text are kept. 1 on success, 0 when a key or value could not be written (the list
   stops there; what was written stays). */
int ApplyTemplateList(const char *const *list, const RegistrationArguments &arguments, int replace);

#endif
