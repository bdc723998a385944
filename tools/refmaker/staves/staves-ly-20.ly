\version "2.24.1"
% Three blank staves at LilyPond's staff size 20 (a staff space of 20/4 pt,
% about 20.8 pixels at 300 dpi): no clef, key or time, bar lines only.
#(set-global-staff-size 20)
\header { tagline = ##f }
\paper { indent = 0 ragged-last = ##f }
\layout {
  \context { \Staff \remove "Clef_engraver" \remove "Time_signature_engraver" }
}
\score {
  \new Staff { s1*2 \break s1*2 \break s1*2 }
}
