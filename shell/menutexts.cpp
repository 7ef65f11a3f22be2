// menutexts: the menu caption texts per language.
#include "shell/menutexts.h"

#include "foundation/windowtext.h"

namespace qorva {

namespace {

// One language: the texts in the order of kMenuTextFields, written here as UTF-8. The European
// sets are held in code page 1252 (every character they use exists there; Romanian is written
// without the letters that code page lacks), the Korean and Chinese ones stay UTF-8.
struct MenuTextSet {
  int32_t language;
  bool utf8;
  std::array<const char*, 39> texts;
};

const MenuTextSet kSets[] = {
    {LangGerman, false,
     {"Menü", "&Datei", "&Neu...", "Ö&ffnen...", "&Speichern...", "Speichern &Unter...", "E&instellungen",
      "&Beenden", "Kopieren", "&Drucken...", "Druckereinstellung", "&Bearbeiten", "Te&xt", "Quick",
      "&Werkstoff", "A&nwendung", "&Vorauslegung", "&Nachrechnung", "Alles auswählen", "&Ansicht",
      "Datenban&k", "&CAD", "&Fertigungszeichnung", "D&okument", "&Zeichnungsdaten", "Änderungen - &Info",
      "Änderungen - &Ausdruck", "&Neue Änderung", "Letzte Änderung &bearbeiten", "Letzte Änderung &löschen",
      "&Hilfe", "&Hilfebild", "&Fehlermeldungen", "&Demo", "&KWENDAL Homepage", "&Ausdruck", "&Sprache",
      "&Tabelle", "Handbuch"}},
    {LangEnglish, false,
     {"Menu", "&File", "&New...", "&Open...", "&Save...", "Save &As...", "Se&ttings", "E&xit", "&Copy",
      "&Print...", "Printer Setup", "&Edit", "Te&xt", "Quick", "&Material", "A&pplication", "&Pre-Dimensioning",
      "&Recalculation", "Select &All", "&View", "&Database", "&CAD", "&Production drawing", "D&ocument",
      "&Drawing data", "Modifications - &Info", "Modifications - &Printout", "Modification - &New",
      "&Edit previous modification", "&Delete previous modification", "&Help", "&Auxiliary images",
      "&Error messages", "&Demo", "&KWENDAL Homepage", "&Printout", "&Language", "&Table", "E-Manual"}},
    {LangFrench, false,
     {"Menu", "&Fichier", "&Nouveau...", "&Ouvrir...", "&Enregistrer...", "Enregistrer &sous...", "&Paramètres",
      "&Quitter", "Copier", "&Imprimer...", "Configuration de l'imprimante", "&Edition", "Te&xte", "Rapide",
      "&Matériau", "&Application", "&Prédimensionnement", "&Recalcul", "Tout sélectionner", "&Affichage",
      "&Base de données", "&CAO", "D&essin fabrication", "D&ocument", "&Données du dessin",
      "Modifications - &Info", "Modifications - Im&pression", "&Nouvelle modification",
      "&Editer la dernière modification", "&Supprimer la dernière modification", "A&ide", "Images d'&aide",
      "&Message d'erreurs", "&Démo", "Page d'accueil &KWENDAL", "&Impression", "&Language", "&Tableau",
      "Manuel"}},
    {LangItalian, false,
     {"Menu", "&File", "&Nuovo...", "&Apri...", "&Salva...", "Salva &con nome...", "&Impostazioni", "&Esci",
      "Copia", "Stam&pa...", "Impostazione stampante", "&Modifica", "&Testo", "Veloce", "&Materiale",
      "&Applicazione", "&Predimensionamento", "&Ricalcolo", "Seleziona tutto", "&Visualizza", "&Database",
      "&CAD", "Disegn&o tabella", "D&ocumento", "&Dati del disegno", "Variazioni - &Info",
      "Variazioni - &Stampa", "&Nuova variazione", "&Modifica ultima variazione", "&Elimina ultima variazione",
      "&Guida", "&Immagini di aiuto", "&Messaggi di Errore", "&Demo", "Home page &KWENDAL", "&Stampa",
      "&Lingua", "&Tabella", "E-Manual"}},
    {LangSwedish, false,
     {"Meny", "&Arkiv", "&Ny...", "&Öppna...", "&Spara...", "Spara s&om...", "&Inställningar", "&Avsluta",
      "Kopiera", "Skriv &ut...", "Skrivarinställningar", "&Redigera", "Te&xt", "Snabb", "&Material",
      "&Användning", "&Fördimensionering", "&Omräkning", "Markera allt", "&Visa", "&Databas", "&CAD",
      "&Arbetsritning", "D&okument", "&Ritningsdata", "Ändringar - &Info", "Ändringar - &Utskrift",
      "&Ny ändring", "R&edigera senaste ändring", "&Ta bort senaste ändring", "&Hjälp", "&Hjälpbilder",
      "&Felmeddelanden", "&Demo", "&KWENDAL hemsida", "&Utskrift", "&Språk", "&Tabell", "E-Manual"}},
    {LangPortuguese, false,
     {"Menu", "&Arquivo", "&Novo...", "A&brir...", "&Salvar...", "Salvar &como...", "Con&figurações", "S&aida",
      "Copiar", "&Imprimir...", "Configurar impressora", "&Editar", "&Texto", "Rapido", "&Material",
      "&Aplicação", "&Pré-dimensionamento", "&Recálculo", "Selecionar tudo", "&Visualizar", "&Banco de dados",
      "&CAD", "&Plano de trabalho", "D&ocumento", "&Dados do desenho", "Alterações - &Info",
      "Alterações - I&mpressão", "&Nova alteração", "&Editar última alteração", "E&xcluir última alteração",
      "A&juda", "&Imagens de ajuda", "&Mensagens de erro", "&Demo", "Página inicial &KWENDAL", "&Impressão",
      "&Language", "&Tabela", "E-Manual"}},
    {LangRomanian, false,
     {"Meniu", "&Fisier", "&Nou...", "&Deschidere...", "Sal&vare...", "Salvare &ca...", "Se&tari", "Ie&sire",
      "Copiere", "&Imprimare...", "Configurare imprimanta", "&Editare", "&Text", "&Vizualizare Rapida",
      "&Material", "&Aplicatie", "&Predimensionare", "&Recalculare", "Selectare totala", "&Vizualizare",
      "&Baza de date", "&CAD", "&Desen de productie", "D&ocument", "&Date desen", "Modificari - &Info",
      "Modificari - &Tiparire", "Modificare &noua", "&Editare ultima modificare", "&Stergere ultima modificare",
      "&Ajutor", "&Imagini ajutatoare", "&mesaje de eroare", "&Demo", "Pagina &KWENDAL", "T&iparire", "&Limba",
      "&Tabel", "E-Manual"}},
    {LangKorean, true,
     {"메뉴", "파일(&F)", "새로 만들기(&N)...", "열기(&O)...", "저장(&S)...", "다른 이름으로 저장(&A)...",
      "설정(&T)", "끝내기(&x)", "복사", "인쇄(&P)...", "프린터 설정", "편집(&E)", "텍스트(&X)", "Quick",
      "재료(&M)", "용도(&A)", "사전 설계(&P)", "재계산(&R)", "모두 선택", "보기(&V)", "데이터베이스(&D)",
      "CAD(&C)", "산품도(&P)", "문서(&O)", "도면 데이터(&D)", "변경 - 정보(&I)", "변경 - 인쇄(&P)",
      "새 변경(&N)", "마지막 변경 편집(&E)", "마지막 변경 삭제(&L)", "도움말(&H)", "도움말 그림(&A)",
      "에러메시지(&E)", "데모(&D)", "KWENDAL 홈페이지(&K)", "결과 출력(&O)", "언어(&L)", "표(&T)",
      "E-Manual"}},
    {LangSpanish, false,
     {"Menú", "&Archivo", "&Nuevo...", "&Abrir...", "&Guardar...", "Guardar &como...", "C&onfiguración",
      "&Salir", "Copiar", "&Imprimir...", "Configurar impresora", "&Editar", "&Texto", "Rápido", "&Material",
      "&Aplicación", "&Predimensionado", "&Recálculo", "Seleccionar todo", "&Ver", "&Base de datos", "&CAD",
      "Dibujo para &Fabricación", "D&ocumento", "&Datos del dibujo", "Modificaciones - &Info",
      "Modificaciones - I&mpresión", "&Nueva modificación", "&Editar última modificación",
      "&Borrar última modificación", "A&yuda", "&Imágenes de ayuda", "Mensajes de &Error", "&Demo",
      "Página de &KWENDAL", "&Impresión", "&Language", "&Tabla", "E-Manual"}},
    {LangChinese, true,
     {"菜单", "文件", "新建...", "打开...", "保存...", "另存为...", "设置", "退出", "复制", "打印...",
      "打印机设置", "编辑", "文本", "快捷键", "材料", "应用", "预设计", "重新计算", "全选", "视图", "数据库",
      "CAD", "产品图纸", "文档", "图纸数据", "修改 - 信息", "修改 - 打印", "新建修改", "编辑上次修改",
      "删除上次修改", "帮助", "帮助图片", "错误信息", "演示", "KWENDAL 主页", "打印输出", "语言", "表格",
      "E-Manual"}},
};

}  // namespace

const std::array<MenuTextField, 39> kMenuTextFields = {{
    {"MenuTextMenu", &MenuTexts::MenuTextMenu},
    {"MenuTextFile", &MenuTexts::MenuTextFile},
    {"MenuTextNew", &MenuTexts::MenuTextNew},
    {"MenuTextOpen", &MenuTexts::MenuTextOpen},
    {"MenuTextSave", &MenuTexts::MenuTextSave},
    {"MenuTextSaveAs", &MenuTexts::MenuTextSaveAs},
    {"MenuTextSettings", &MenuTexts::MenuTextSettings},
    {"MenuTextExit", &MenuTexts::MenuTextExit},
    {"MenuTextCopy", &MenuTexts::MenuTextCopy},
    {"MenuTextPrint", &MenuTexts::MenuTextPrint},
    {"MenuTextPrinterSetup", &MenuTexts::MenuTextPrinterSetup},
    {"MenuTextEdit", &MenuTexts::MenuTextEdit},
    {"MenuTextText", &MenuTexts::MenuTextText},
    {"MenuTextQuick", &MenuTexts::MenuTextQuick},
    {"MenuTextMaterial", &MenuTexts::MenuTextMaterial},
    {"MenuTextApplication", &MenuTexts::MenuTextApplication},
    {"MenuTextPreDesign", &MenuTexts::MenuTextPreDesign},
    {"MenuTextRecalculation", &MenuTexts::MenuTextRecalculation},
    {"MenuTextSelectAll", &MenuTexts::MenuTextSelectAll},
    {"MenuTextView", &MenuTexts::MenuTextView},
    {"MenuTextDatabase", &MenuTexts::MenuTextDatabase},
    {"MenuTextCad", &MenuTexts::MenuTextCad},
    {"MenuTextProductionDrawing", &MenuTexts::MenuTextProductionDrawing},
    {"MenuTextDocument", &MenuTexts::MenuTextDocument},
    {"MenuTextDrawingData", &MenuTexts::MenuTextDrawingData},
    {"MenuTextChangesInfo", &MenuTexts::MenuTextChangesInfo},
    {"MenuTextChangesPrint", &MenuTexts::MenuTextChangesPrint},
    {"MenuTextChangeNew", &MenuTexts::MenuTextChangeNew},
    {"MenuTextChangeEdit", &MenuTexts::MenuTextChangeEdit},
    {"MenuTextChangeDelete", &MenuTexts::MenuTextChangeDelete},
    {"MenuTextHelp", &MenuTexts::MenuTextHelp},
    {"MenuTextHelpPicture", &MenuTexts::MenuTextHelpPicture},
    {"MenuTextErrorMessages", &MenuTexts::MenuTextErrorMessages},
    {"MenuTextDemo", &MenuTexts::MenuTextDemo},
    {"MenuTextHomepage", &MenuTexts::MenuTextHomepage},
    {"MenuTextPrintout", &MenuTexts::MenuTextPrintout},
    {"MenuTextLanguage", &MenuTexts::MenuTextLanguage},
    {"MenuTextTable", &MenuTexts::MenuTextTable},
    {"MenuTextManual", &MenuTexts::MenuTextManual},
}};

std::string MenuCaptionUtf8(const MenuCaption& c) { return c.utf8 ? c.text : WinToUtf8(c.text); }

MenuCaption MenuCaptionFromSet(const char* text, bool utf8) {
  return MenuCaption{utf8 ? std::string(text) : Utf8ToWin(text), utf8};
}

bool SetMenuTexts(int32_t language) {
  for (const MenuTextSet& set : kSets) {
    if (set.language != language) continue;
    for (std::size_t i = 0; i < kMenuTextFields.size(); ++i)
      menuTexts.*kMenuTextFields[i].member = MenuCaptionFromSet(set.texts[i], set.utf8);
    return true;
  }
  return false;
}

void InitMenuTexts() {
  menuTexts = MenuTexts();
  SetMenuTexts(LangGerman);
}

MenuTexts menuTexts;

namespace {
// The program starts with the German texts before any window reads them.
[[maybe_unused]] const bool kGermanLoaded = (InitMenuTexts(), true);
}  // namespace

}  // namespace qorva
