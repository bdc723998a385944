\version "2.24.1"
% Three blank staves at LilyPond's staff size 15 (a staff space of 15/4 pt,
% about 15.6 pixels at 300 dpi): no clef, key or time, bar lines only.
#(set-global-staff-size 15)
\header { tagline = ##f }
\paper { indent = 0 ragged-last = ##f }
\layout {
  \context { \Staff \remove "Clef_engraver" \remove "Time_signature_engraver" }
}
\score {
  \new Staff { s1*2 \break s1*2 \break s1*2 }
}
