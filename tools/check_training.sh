#!/usr/bin/env bash
# Remakes the shape classifier's training samples or its databases into a
# scratch folder and compares them with the committed ones byte for byte.
#   check_training.sh samples <make_training_samples> <outlines> <inputs folder> <engraved folder> <scratch>
#   check_training.sh databases <train_classifier> <inputs folder> <data folder> <scratch>
set -euo pipefail
what=$1 tool=$2
case "$what" in
  samples)
    outlines=$3 inputs=$4 engraved=$5 scratch=$6
    rm -rf "$scratch" && mkdir -p "$scratch/Symb8x16" "$scratch/Symb8x8"
    "$tool" "$outlines" "$scratch" --engraved "$engraved"
    # The type lists and the context lists are written by hand.
    cp "$inputs"/8x8Types.txt "$inputs"/8x16Types.txt "$inputs"/LRSymLists.txt "$scratch"/
    diff -r -q "$inputs" "$scratch"
    ;;
  databases)
    inputs=$3 data=$4 scratch=$5
    rm -rf "$scratch" && mkdir -p "$scratch"
    "$tool" "$inputs" "$scratch"
    cmp "$data/XxXData" "$scratch/XxXData"
    cmp "$data/Notation" "$scratch/Notation"
    ;;
  *)
    echo "check_training.sh: samples or databases" >&2
    exit 2
    ;;
esac
echo "check_training.sh: $what remade byte for byte"
