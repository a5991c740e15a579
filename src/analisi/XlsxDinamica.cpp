// The libxlsxwriter functions the workbook uses, loaded at the first call
// (LibreriaDinamica.h of the data store): with it comes libcrypto, which
// every other command would load for nothing. Forwarders only: the path a
// workbook is written to is the file writer's temporary one (FormatoXlsx.cpp).

#include "LibreriaDinamica.h"

#include <xlsxwriter.h>

PC_LIBRERIA_DINAMICA(xlsx, "libxlsxwriter.so.4", "libxlsxwriter", "libxlsxwriter4")

#define PC_XLSX(ritorno, nome, parametri, argomenti) PC_INOLTRA(xlsx(), ritorno, nome, parametri, argomenti)

PC_XLSX(lxw_workbook *, workbook_new_opt, (const char *f, lxw_workbook_options *o), (f, o))
PC_XLSX(lxw_error, workbook_close, (lxw_workbook * w), (w))
PC_XLSX(void, lxw_workbook_free, (lxw_workbook * w), (w))
PC_XLSX(lxw_worksheet *, workbook_add_worksheet, (lxw_workbook * w, const char *n), (w, n))
PC_XLSX(lxw_format *, workbook_add_format, (lxw_workbook * w), (w))
PC_XLSX(lxw_chart *, workbook_add_chart, (lxw_workbook * w, uint8_t t), (w, t))
PC_XLSX(char *, lxw_strerror, (lxw_error e), (e))
PC_XLSX(lxw_chart_series *, chart_add_series, (lxw_chart * c, const char *k, const char *v), (c, k, v))
PC_XLSX(void, chart_axis_set_name, (lxw_chart_axis * a, const char *n), (a, n))
PC_XLSX(void, chart_axis_set_num_format, (lxw_chart_axis * a, const char *f), (a, f))
PC_XLSX(void, chart_legend_set_position, (lxw_chart * c, uint8_t p), (c, p))
PC_XLSX(void, chart_series_set_line, (lxw_chart_series * s, lxw_chart_line *l), (s, l))
PC_XLSX(void, chart_series_set_name, (lxw_chart_series * s, const char *n), (s, n))
PC_XLSX(void, chart_title_set_name, (lxw_chart * c, const char *n), (c, n))
PC_XLSX(void, format_set_align, (lxw_format * f, uint8_t a), (f, a))
PC_XLSX(void, format_set_bg_color, (lxw_format * f, lxw_color_t c), (f, c))
PC_XLSX(void, format_set_bold, (lxw_format * f), (f))
PC_XLSX(void, format_set_font_color, (lxw_format * f, lxw_color_t c), (f, c))
PC_XLSX(void, format_set_font_size, (lxw_format * f, double s), (f, s))
PC_XLSX(void, format_set_num_format, (lxw_format * f, const char *n), (f, n))
PC_XLSX(void, format_set_text_wrap, (lxw_format * f), (f))
PC_XLSX(void, worksheet_fit_to_pages, (lxw_worksheet * w, uint16_t l, uint16_t a), (w, l, a))
PC_XLSX(void, worksheet_freeze_panes, (lxw_worksheet * w, lxw_row_t r, lxw_col_t c), (w, r, c))
PC_XLSX(lxw_error, worksheet_insert_chart_opt,
        (lxw_worksheet * w, lxw_row_t r, lxw_col_t c, lxw_chart *g, lxw_chart_options *o), (w, r, c, g, o))
PC_XLSX(lxw_error, worksheet_repeat_rows, (lxw_worksheet * w, lxw_row_t p, lxw_row_t u), (w, p, u))
PC_XLSX(lxw_error, worksheet_set_column, (lxw_worksheet * w, lxw_col_t p, lxw_col_t u, double l, lxw_format *f),
        (w, p, u, l, f))
PC_XLSX(lxw_error, worksheet_set_footer, (lxw_worksheet * w, const char *s), (w, s))
PC_XLSX(lxw_error, worksheet_set_h_pagebreaks, (lxw_worksheet * w, lxw_row_t b[]), (w, b))
PC_XLSX(void, worksheet_set_landscape, (lxw_worksheet * w), (w))
PC_XLSX(void, worksheet_set_margins, (lxw_worksheet * w, double s, double d, double a, double b), (w, s, d, a, b))
PC_XLSX(void, worksheet_set_paper, (lxw_worksheet * w, uint8_t p), (w, p))
PC_XLSX(lxw_error, worksheet_write_datetime,
        (lxw_worksheet * w, lxw_row_t r, lxw_col_t c, lxw_datetime *d, lxw_format *f), (w, r, c, d, f))
PC_XLSX(lxw_error, worksheet_write_formula_num,
        (lxw_worksheet * w, lxw_row_t r, lxw_col_t c, const char *x, lxw_format *f, double v), (w, r, c, x, f, v))
PC_XLSX(lxw_error, worksheet_write_formula_str,
        (lxw_worksheet * w, lxw_row_t r, lxw_col_t c, const char *x, lxw_format *f, const char *v), (w, r, c, x, f, v))
PC_XLSX(lxw_error, worksheet_write_number, (lxw_worksheet * w, lxw_row_t r, lxw_col_t c, double v, lxw_format *f),
        (w, r, c, v, f))
PC_XLSX(lxw_error, worksheet_write_string, (lxw_worksheet * w, lxw_row_t r, lxw_col_t c, const char *s, lxw_format *f),
        (w, r, c, s, f))
