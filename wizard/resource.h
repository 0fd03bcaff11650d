/* Identifiers shared by the resource scripts and the code. The numbers are fixed:
   the dialog templates, the code and the payload resources meet on them. */
#ifndef TOVRA_RESOURCE_H
#define TOVRA_RESOURCE_H

/* Dialog templates */
#define IDD_MESSAGE             112
#define IDD_WIZARD              114
#define IDD_FOLDER_CHOOSER      168

/* Icons */
#define IDI_WIZARD              104

/* Payload resources the wizard reads for itself (type "TEXT"); the files of the
   install manifest have their identifiers in install/manifest_table.def. */
#define IDR_GLYPH_ATLAS         110
#define IDR_AGREEMENT_CHINESE   163
#define IDR_AGREEMENT_ENGLISH   164
#define IDR_SPEECH_PACKAGE      1029
#define IDR_PAYLOAD_INDEX       1040 /* checksum and inflated size of every other payload */

/* Wizard dialog (114): left panel and frame */
#define IDC_ICON_PANEL          102
#define IDC_SEPARATOR           108
#define IDC_PANEL_PRODUCT       167
#define IDC_PANEL_INSTALLER     169
#define IDC_FOOTER              172
#define IDC_BRAND_CAPTION       1009
#define IDC_PRODUCT_CAPTION     1011
#define IDC_INSTALLER_CAPTION   1012
#define IDC_BLANK_CAPTION       1020
#define IDC_BOTTOM_STRIP        1021
#define IDC_WAIT_CAPTION        1022
#define IDC_PROGRESS            1026

/* Wizard dialog: navigation buttons (Cancel is the system's IDCANCEL, 2) */
#define IDC_BACK                3
#define IDC_NEXT                1001

/* Wizard page 0: install folder */
#define IDC_FOLDER_EDIT         1002
#define IDC_BROWSE              1003
#define IDC_DESKTOP_ICON        1004
#define IDC_PAGE0_MISSING       1005 /* listed in the page table, not in the template */
#define IDC_FOLDER_CAPTION      1006

/* Wizard page 1: Chinese display check */
#define IDC_DISPLAY_YES         1007
#define IDC_DISPLAY_NO          1008
#define IDC_SAMPLE_FRAME        1015
#define IDC_DISPLAY_QUESTION    1017
#define IDC_SAMPLE_LINE         1018

/* Wizard page 2: agreement */
#define IDC_SHOW_ENGLISH        1010
#define IDC_AGREEMENT_ENGLISH   1014
#define IDC_AGREEMENT_CHINESE   1019
#define IDC_CHINESE_AGREEMENT_NAME 1032 /* hidden labels that name the agreements to a screen reader */
#define IDC_ENGLISH_AGREEMENT_NAME 1033

/* Wizard page 3: interface language */
#define IDC_LANGUAGE_CAPTION    1030
#define IDC_LANGUAGE_LIST       1031

/* Message dialog (112); its buttons are the system's IDOK 1, IDCANCEL 2, IDYES 6 and IDNO 7 */
#define IDC_MESSAGE_CHINESE     1013
#define IDC_MESSAGE_ENGLISH     1028
#define IDC_LEFT_CAPTION        1016 /* a label of the draw button routine with no control of its own */

/* Folder chooser (168): bilingual labels over the system dialog's own controls, which
   keep the names <dlgs.h> gives them (stc1 the folder, lst2 the folders, cmb2 the drives) */
#define IDC_CHOOSER_FOLDERS_LABEL 1008
#define IDC_CHOOSER_DRIVES_LABEL  1010

#endif
