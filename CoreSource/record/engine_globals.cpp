#include "record/engine_globals.h"

// The settings' defaults, so that queries made before the first reload behave as configured
// out of the box.
int ime_fill_count = 1;

int ime_fuzzy_mode = 0;
int ime_fuzzy_k2g = 0;
int ime_fuzzy_f2h = 0;
int ime_fuzzy_l2n = 0;
int ime_fuzzy_l2r = 0;
int ime_fuzzy_z2zh = 0;
int ime_fuzzy_c2ch = 0;
int ime_fuzzy_s2sh = 0;
int ime_fuzzy_an2ang = 0;
int ime_fuzzy_en2eng = 0;
int ime_fuzzy_in2ing = 0;
int ime_fuzzy_ian2iang = 0;
int ime_fuzzy_uan2uang = 0;

int ime_plug_mode = 0;
int ime_query_all = 1;
int ime_am_flag = 0;

int ime_current_pynum = 0;
ime_conversation_t* ime_current_convs = nullptr;

int ime_system_inited = 0;
int ime_valid = 0;
int ime_page_size = 6;
int ime_mode = 0;
char ime_candidate_fcolor[7] = "";
char ime_candidate_bcolor[7] = "";
int suggestted_mode = 0;
