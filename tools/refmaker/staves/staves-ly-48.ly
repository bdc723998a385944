\version "2.24.1"
% Three blank staves at LilyPond's staff size 48 (a staff space of 48/4 pt,
% about 50.0 pixels at 300 dpi): no clef, key or time, bar lines only.
#(set-global-staff-size 48)
\header { tagline = ##f }
\paper { indent = 0 ragged-last = ##f }
\layout {
  \context { \Staff \remove "Clef_engraver" \remove "Time_signature_engraver" }
}
\score {
  \new Staff { s1*2 \break s1*2 \break s1*2 }
}
