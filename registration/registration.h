/* The editor's document types and COM classes, written under HKEY_CLASSES_ROOT. */
#ifndef TOVRA_REGISTRATION_H
#define TOVRA_REGISTRATION_H

/* Registers the editor's file type, the ".rtf" association and the document classes of
   the editor and the DeVud server installed in the install folder. Nothing is reported. */
void RegisterDocumentTypes();

#endif
