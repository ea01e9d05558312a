// The pickers and composite generators of the verse families: every one that
// a mode character reaches, but the generator core's two-row tables
// (core/two_row_tables.h).
//
// A picker draws one entry of its own table into `palabra`. A composite
// generator builds one fragment from several picks and fixed connecting text
// and hands it to str2clip itself, returning that call's result.
#pragma once

namespace versos {

// Adverbial openers.
void verso00aveces();
void verso00algun();
void verso00algunsinversosiguiente();
int verso00();

// Demonstrative openers.
void verso01aquella();
void verso01unicas();
int nuevoindice01();

// Genitive pairs.
void verso10abad();
void verso10amor();
void verso10analfabeto();
int tomaindice10();

// Reversible noun phrases.
void verso11reversibles1();
void verso11reversibles2();
void verso11unicasnoreversibles1();
int nuevoindice11();

// Base lines.
void verso12();
void verso12bis();
int versobase();

// Likeness word tables and likeness lines.
void verso21acorde();
void verso21aspecto();
void verso21apariencia();
void verso21caracteristicas();
void verso21contrarias();
void verso21diverso();
void verso21modo();
void verso21distinta();
void verso21forma();
int verso21();

// Prepositional lines.
void verso22cargada();
void verso22futuro();
void verso22palabrassueltas();
int verso22();

// Comparative lines.
void verso31otroslauna();
void verso31agradamenosmas();
int verso31tres();
int verso31cerounodos();

// Verb and adjective lists.
void verso14();
void verso33();

}  // namespace versos
