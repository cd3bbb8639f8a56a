#pragma once
// Resource and control ids of the configuration dialog (2003) and the news settings dialog (105).
// Plain #defines: the resource scripts include this file too.

#define IDD_CONFIG 2003
#define IDD_NEWS 105

// Configuration dialog: trackbars and their value labels.
#define IDC_R_SPEED 1002
#define IDC_D_SPEED 1003
#define IDC_MAYOI 1004
#define IDC_SUKIMA 1005
#define IDC_RESOLUTION 1006
#define IDC_WIDTH 1012
#define IDC_HEIGHT 1013
#define IDC_R_SPEED_LABEL 1007
#define IDC_D_SPEED_LABEL 1008
#define IDC_MAYOI_LABEL 1009
#define IDC_SUKIMA_LABEL 1010
#define IDC_RESOLUTION_LABEL 1011
#define IDC_WIDTH_LABEL 1014
#define IDC_HEIGHT_LABEL 1015

// Configuration dialog: block file, colour buttons, check boxes, message, news settings.
#define IDC_BLOCKFILE 1016
#define IDC_COLOR1 1017
#define IDC_COLOR7 1023
#define IDC_MOUSESENSE 1024
#define IDC_TITLE 1025
#define IDC_FIXCOLOR 1026
#define IDC_SHOW_INFO 1027
#define IDC_SHOW_FPS 1028
#define IDC_SHOW_TIME 1029
#define IDC_SHOW_DATE 1030
#define IDC_SHOW_MSG 1031
#define IDC_TEXT 1032
#define IDC_SHOW_NEWS1 1033
#define IDC_SHOW_NEWS2 1034
#define IDC_NEWS_SETTINGS 1035
#define IDC_USEGDI 1050

// News settings dialog: the twelve edits (ids shared with the other dialog's controls are
// separate windows).
#define IDC_NI1_HTML 1040
#define IDC_NI1_FILE 1033
#define IDC_NI1_IGNORE 1034
#define IDC_NI1_TAG 1035
#define IDC_NI1_REJECT 1039
#define IDC_NI1_UPDATE 1043
#define IDC_NI2_HTML 1041
#define IDC_NI2_FILE 1036
#define IDC_NI2_IGNORE 1037
#define IDC_NI2_TAG 1038
#define IDC_NI2_REJECT 1042
#define IDC_NI2_UPDATE 1044
// Its two "試す" buttons.
#define IDC_NI1_TRY 1045
#define IDC_NI2_TRY 1046
