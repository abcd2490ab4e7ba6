// The tokenizer's symbols: start and end tags, attributes, and the special symbols. An
// attribute named like a tag (LINK, SELECTED, WRAP, TITLE, STYLE, SPAN) shares its symbol.
#pragma once

#include <cstdint>

enum THtmlSymbol : uint16_t {
  // special symbols
  TextSy, OtherSy, EofSy, UnknownSy, EolSy, OtherChar,
  // tags with an end tag (the first 52 of the tag table)
  HtmlSy, HtmlEndSy, TitleSy, TitleEndSy, BodySy, BodyEndSy, HeadSy, HeadEndSy, BSy, BEndSy, ISy, IEndSy,
  HeadingSy, HeadingEndSy, EmSy, EmEndSy, StrongSy, StrongEndSy, USy, UEndSy, CiteSy, CiteEndSy, VarSy, VarEndSy,
  TTSy, TTEndSy, CodeSy, CodeEndSy, KbdSy, KbdEndSy, SampSy, SampEndSy, OLSy, OLEndSy, ULSy, ULEndSy,
  DirSy, DirEndSy, MenuSy, MenuEndSy, DLSy, DLEndSy, ASy, AEndSy, AddressSy, AddressEndSy,
  BlockQuoteSy, BlockQuoteEndSy, PreSy, PreEndSy, CenterSy, CenterEndSy, TableSy, TableEndSy, TDSy, TDEndSy,
  THSy, THEndSy, CaptionSy, CaptionEndSy, FormSy, FormEndSy, TextAreaSy, TextAreaEndSy, SelectSy, SelectEndSy,
  OptionSy, OptionEndSy, FontSy, FontEndSy, SubSy, SubEndSy, SupSy, SupEndSy, BigSy, BigEndSy, SmallSy, SmallEndSy,
  PSy, PEndSy, MapSy, MapEndSy, FrameSetSy, FrameSetEndSy, NoFramesSy, NoFramesEndSy, ScriptSy, ScriptEndSy,
  DivSy, DivEndSy, SSy, SEndSy, StrikeSy, StrikeEndSy, TRSy, TREndSy, NoBrSy, NoBrEndSy, StyleSy, StyleEndSy,
  SpanSy, SpanEndSy, ColGroupSy, ColGroupEndSy,
  // tags without an end symbol
  LISy, BRSy, HRSy, DDSy, DTSy, ImageSy, BaseSy, ButtonSy, InputSy, SelectedSy, BaseFontSy, AreaSy, FrameSy,
  PageSy, BgSoundSy, WrapSy, MetaSy, PanelSy, WbrSy, LinkSy, ColSy,
  // attributes
  HrefSy, NameSy, SrcSy, AltSy, AlignSy, TextAttrSy, BGColorSy, BackgroundSy, ColSpanSy, RowSpanSy, BorderSy,
  CellPaddingSy, CellSpacingSy, VAlignSy, WidthSy, StartSy, ValueSy, TypeSy, CheckBoxSy, RadioSy, MethodSy,
  ActionSy, CheckedSy, SizeSy, MaxLengthSy, ColsSy, RowsSy, MultipleSy, FaceSy, ColorSy, TranspSy, ClearSy,
  IsMapSy, BorderColorSy, UseMapSy, ShapeSy, CoordsSy, NoHrefSy, HeightSy, PlainSy, TargetSy, NoResizeSy,
  ScrollingSy, HSpaceSy, LanguageSy, FrameBorderSy, MarginWidthSy, MarginHeightSy, LoopSy, OnClickSy, NoShadeSy,
  HttpEqSy, ContentSy, EncTypeSy, VLinkSy, OLinkSy, ActiveSy, VSpaceSy, ClassSy, IDSy, RelSy, RevSy, NoWrapSy,
  BorderColorLightSy, BorderColorDarkSy, CharSetSy, RatioSy, OnFocusSy, OnBlurSy, OnChangeSy, TabIndexSy,
  BGPropertiesSy,
  SymbolCount
};
